#include "automation/registration.h"

#include "automation/module.h"
#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "interface/registration_layout.h"
#include "platform/module_files.h"
#include "platform/owners.h"
#include "platform/registry_text.h"

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

// Whether a key below the class root is there.
bool isRegistered(const wchar_t* key)
{
    UniqueHkey opened;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

// The 32-bit and the 64-bit build each register the class in their own view of the
// class root, but share the programmatic identifier. The other build counts as registered
// where the other view's class names another server: the key alone cannot tell, since
// some class roots keep one class key for both views (the user's classes under Wine),
// and there it is this build's own.
bool otherBuildIsRegistered(const std::wstring& server)
{
    if (!isWindows64()) return false;
    // Opened from a key below the class root as it is mapped (the user's classes while
    // RegisterCorvastel runs): Wine 8 opens a view of the mapped root itself in the machine's.
    UniqueHkey classes;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassesKey, 0, KEY_READ, classes.put()) != ERROR_SUCCESS) return false;
    const std::wstring named = defaultText(classes.get(), kServerBelowClasses, kOtherBuild.view);
    return !named.empty() && _wcsicmp(named.c_str(), server.c_str()) != 0;
}

// The programmatic identifier is removed only while it leads to this class and no other
// build of it needs it.
bool progIdIsOnlyOurs(const std::wstring& server)
{
    return _wcsicmp(defaultText(HKEY_CLASSES_ROOT, kProgIdClassKey).c_str(), kClassIdText) == 0 &&
           !otherBuildIsRegistered(server);
}

}  // namespace

HRESULT unregisterServer()
{
    std::wstring server;
    if (const HRESULT hr = modulePath(thisModule(), server); FAILED(hr)) return hr;
    const bool progIdIsOurs = progIdIsOnlyOurs(server);
    if (progIdIsOurs) RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    UnRegisterTypeLib(LIBID_Corvastel, kVersionMajor, kVersionMinor, LOCALE_NEUTRAL, kPlatform);
    // Judged by what is left, all of it, so that unregistering twice succeeds as well.
    if (isRegistered(kClassKey) || (progIdIsOurs && isRegistered(kProgId))) return SELFREG_E_CLASS;
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
