// RegisterCorvastel.exe [/u] [Corvastel.dll]: registers Corvastel.dll (by default the
// one beside this program) for the current user only, or with /u unregisters it, with no
// administrator rights needed. It runs the DLL's own registration with the class root
// mapped to the user's classes (HKEY_CURRENT_USER\Software\Classes), so the user gets
// exactly the entries a machine-wide registration makes, type library included.
//
// RegisterCorvastel.exe /check changes nothing: it tells what hosts of each bitness get
// and how to mend it, and exits with 0 only when every one of them creates the object.

#include "platform/module_files.h"
#include "platform/owners.h"
#include "register_tool/registration_doctor.h"

#include <cstdio>
#include <string>

namespace {

// Runs the DLL's DllRegisterServer or DllUnregisterServer against the user's classes.
HRESULT registerForUser(const std::wstring& dll, bool unregister)
{
    const corvastel::UniqueModule module(LoadLibraryW(dll.c_str()));
    if (!module.get()) return HRESULT_FROM_WIN32(GetLastError());
    using Entry = HRESULT STDAPICALLTYPE();
    auto* entry = reinterpret_cast<Entry*>(reinterpret_cast<void*>(
        GetProcAddress(module.get(), unregister ? "DllUnregisterServer" : "DllRegisterServer")));
    HRESULT hr = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    corvastel::UniqueHkey userClasses;
    if (entry && RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 userClasses.put(), nullptr) == ERROR_SUCCESS &&
        RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses.get()) == ERROR_SUCCESS) {
        hr = entry();
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    return hr;
}

int reportRegistration()
{
    const std::vector<corvastel::tool::HostCheck> hosts = corvastel::tool::checkHosts();
    std::fputws(corvastel::tool::describe(hosts).c_str(), stdout);
    for (const auto& host : hosts) {
        if (!host.creates) return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && _wcsicmp(argv[1], L"/check") == 0) return reportRegistration();
    bool unregister = false;
    std::wstring dll = corvastel::besideThisProgram(L"Corvastel.dll");
    for (int i = 1; i < argc; ++i) {
        if (_wcsicmp(argv[i], L"/u") == 0) {
            unregister = true;
        } else {
            dll = argv[i];
        }
    }
    const HRESULT hr = registerForUser(dll, unregister);
    std::wprintf(L"%ls %ls for the current user: %ls (0x%08lx)\n", unregister ? L"Unregistering" : L"Registering",
                 dll.c_str(), SUCCEEDED(hr) ? L"done" : L"failed", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr) ? 0 : 1;
}
