#include "automation/registration.h"

#include "automation/module.h"
#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "interface/registration_layout.h"
#include "platform/module_files.h"
#include "platform/owners.h"

#include <olectl.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

#ifdef _WIN64
const SYSKIND kPlatform = SYS_WIN64;
#else
const SYSKIND kPlatform = SYS_WIN32;
#endif

LSTATUS writeEntry(const RegistrationEntry& entry, const std::wstring& server)
{
    const std::wstring data = fillIn(entry.data, server);
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, entry.key, entry.name, REG_SZ, data.c_str(),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// Whether a key below the class root is there, in the registry view given.
bool isRegistered(const wchar_t* key, REGSAM view = 0)
{
    UniqueHkey opened;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ | view, opened.put()) == ERROR_SUCCESS;
}

// The 32-bit and the 64-bit build each register the class in their own view of the
// class root, but share the programmatic identifier.
bool otherBuildIsRegistered() { return isWindows64() && isRegistered(kClassKey, kOtherBuild.view); }

// The programmatic identifier is removed only while it leads to this class and no other
// build of it needs it.
bool progIdIsOnlyOurs()
{
    wchar_t classId[64] = {};
    DWORD size = sizeof classId;
    return RegGetValueW(HKEY_CLASSES_ROOT, kProgIdClassKey, nullptr, RRF_RT_REG_SZ, nullptr, classId, &size) ==
               ERROR_SUCCESS &&
           _wcsicmp(classId, kClassIdText) == 0 && !otherBuildIsRegistered();
}

}  // namespace

HRESULT unregisterServer()
{
    if (progIdIsOnlyOurs()) RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    UnRegisterTypeLib(LIBID_Corvastel, kVersionMajor, kVersionMinor, LOCALE_NEUTRAL, kPlatform);
    // Judged by what is left, all of it, so that unregistering twice succeeds as well.
    if (isRegistered(kClassKey) || progIdIsOnlyOurs()) return SELFREG_E_CLASS;
    return isRegistered(typeLibraryKey(kThisBuild).c_str()) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT registerServer()
{
    std::wstring server;
    if (const HRESULT hr = modulePath(thisModule(), server); FAILED(hr)) return hr;
    ComPtr<ITypeLib> library;
    if (FAILED(loadOwnTypeLibrary(&library)) ||
        FAILED(RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(server.c_str()), nullptr))) {
        return SELFREG_E_TYPELIB;
    }
    for (const RegistrationEntry& entry : kRegistrationLayout) {
        if (entry.writer == RegistrationWriter::dll && writeEntry(entry, server) != ERROR_SUCCESS) {
            unregisterServer();  // leave nothing half registered
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

}  // namespace corvastel::automation
