#include "automation/registration.h"

#include "automation/corvastel_identities.h"
#include "automation/module.h"
#include "platform/module_files.h"
#include "platform/owners.h"

#include <olectl.h>
#include <wrl/client.h>

#include <array>
#include <string>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

#ifdef _WIN64
const SYSKIND kPlatform = SYS_WIN64;
const wchar_t kPlatformName[] = L"win64";
#else
const SYSKIND kPlatform = SYS_WIN32;
const wchar_t kPlatformName[] = L"win32";
#endif

// Where the type library is registered for this build's platform.
std::wstring typeLibraryKey() { return kTypeLibraryKey + std::wstring(kPlatformName); }

struct ClassEntry {
    std::wstring key;
    const wchar_t* name;  // nullptr for the key's default value
    std::wstring value;
};

std::array<ClassEntry, 7> classEntries(const std::wstring& path)
{
    const std::wstring classes = kClassKey;
    return {{
        {classes, nullptr, kProgId},
        {classes + L"\\InprocServer32", nullptr, path},
        {classes + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classes + L"\\ProgID", nullptr, kProgId},
        {classes + L"\\TypeLib", nullptr, kLibraryIdText},
        {kProgId, nullptr, kProgId},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, kClassIdText},
    }};
}

LSTATUS writeEntry(const ClassEntry& entry)
{
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, entry.key.c_str(), entry.name, REG_SZ, entry.value.c_str(),
                           static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
}

// The 32-bit and the 64-bit build each register the class in their own view of the
// class root, but share the programmatic identifier. 32-bit Windows has one view only,
// which a request for the 64-bit view opens too: there is no other build there.
bool otherBuildIsRegistered()
{
#ifdef _WIN64
    const REGSAM otherView = KEY_WOW64_32KEY;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
    const REGSAM otherView = KEY_WOW64_64KEY;
#endif
    UniqueHkey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, KEY_READ | otherView, key.put()) == ERROR_SUCCESS;
}

// The programmatic identifier is removed only while it leads to this class and no other
// build of it needs it.
bool progIdIsOnlyOurs()
{
    wchar_t classId[64] = {};
    DWORD size = sizeof classId;
    const std::wstring key = std::wstring(kProgId) + L"\\CLSID";
    return RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, classId, &size) ==
               ERROR_SUCCESS &&
           _wcsicmp(classId, kClassIdText) == 0 && !otherBuildIsRegistered();
}

bool typeLibraryIsRegistered()
{
    UniqueHkey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, typeLibraryKey().c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace

HRESULT unregisterServer()
{
    if (progIdIsOnlyOurs()) RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    // Judged by what is left, so that unregistering twice succeeds as well.
    UnRegisterTypeLib(LIBID_Corvastel, kVersionMajor, kVersionMinor, LOCALE_NEUTRAL, kPlatform);
    return typeLibraryIsRegistered() ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT registerServer()
{
    const std::wstring path = modulePath(thisModule());
    ComPtr<ITypeLib> library;
    if (FAILED(loadOwnTypeLibrary(&library)) ||
        FAILED(RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(path.c_str()), nullptr))) {
        return SELFREG_E_TYPELIB;
    }
    for (const ClassEntry& entry : classEntries(path)) {
        if (writeEntry(entry) != ERROR_SUCCESS) {
            unregisterServer();  // leave nothing half registered
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

}  // namespace corvastel::automation
