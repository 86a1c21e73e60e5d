// RegisterCorvastel.exe [/u] [Corvastel.dll]: registers Corvastel.dll (by default the
// one beside this program) for the current user only, or with /u unregisters it, with no
// administrator rights needed. It runs the DLL's own registration with the class root
// mapped to the user's classes (HKEY_CURRENT_USER\Software\Classes), so the user gets
// exactly the entries a machine-wide registration makes, type library included.
//
// RegisterCorvastel.exe /check changes nothing: it tells what hosts of each bitness get
// and how to mend it, and exits with 0 only when every one of them creates the object.

#include "interface/registration_layout.h"
#include "platform/module_files.h"
#include "platform/owners.h"
#include "register_tool/registration_doctor.h"

#include <olectl.h>

#include <cstdio>
#include <string>

namespace {

// The exit statuses.
constexpr int kDone = 0;        // registered, unregistered, or /check: every host creates the object
constexpr int kFailed = 1;      // the registration failed, or /check found a host that cannot create it
constexpr int kUsageError = 2;  // an option or argument it does not take

const wchar_t kUsage[] =
    L"Usage: RegisterCorvastel.exe [/u] [DLL]\n"
    L"       RegisterCorvastel.exe /check\n"
    L"\n"
    L"Registers Corvastel.dll (DLL, by default the one beside this program) for the current\n"
    L"user alone, with no administrator rights; /u unregisters it. /check changes nothing:\n"
    L"it tells what 32-bit and 64-bit hosts get when they create Corvastel.clsRegistry, and\n"
    L"how to mend it.\n"
    L"\n"
    L"Exit status: 0 done (for /check: every host creates the object), 1 failed (for\n"
    L"/check: some host cannot), 2 an option or argument it does not take.\n";

// What registering for the user came to: its status, and which step failed where the
// status alone does not say it.
struct Outcome {
    HRESULT status;
    const wchar_t* failedStep = nullptr;
};

// Runs the DLL's DllRegisterServer or DllUnregisterServer against the user's classes.
Outcome registerForUser(const std::wstring& dll, bool unregister)
{
    const corvastel::UniqueModule module(LoadLibraryW(dll.c_str()));
    if (!module.get()) return {HRESULT_FROM_WIN32(GetLastError())};
    using Entry = HRESULT STDAPICALLTYPE();
    auto* entry = reinterpret_cast<Entry*>(reinterpret_cast<void*>(
        GetProcAddress(module.get(), unregister ? "DllUnregisterServer" : "DllRegisterServer")));
    if (!entry) return {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)};
    corvastel::UniqueHkey userClasses;
    if (const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, userClasses.put(), nullptr);
        status != ERROR_SUCCESS) {
        return {HRESULT_FROM_WIN32(status), L"the user's classes (HKEY_CURRENT_USER\\Software\\Classes) cannot be opened for writing"};
    }
    if (const LSTATUS status = RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses.get()); status != ERROR_SUCCESS) {
        return {HRESULT_FROM_WIN32(status), L"the class root cannot be mapped to the user's classes"};
    }
    const HRESULT hr = entry();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    return {hr};
}

// The same for the Corvastel.dll beside this program, whose path dll receives.
Outcome registerBesideThisProgram(std::wstring& dll, bool unregister)
{
    if (const HRESULT hr = corvastel::besideThisProgram(L"Corvastel.dll", dll); FAILED(hr)) {
        dll = L"Corvastel.dll";
        return {hr, L"the folder of this program cannot be told"};
    }
    return registerForUser(dll, unregister);
}

int reportRegistration()
{
    const std::vector<corvastel::tool::HostCheck> hosts = corvastel::tool::checkHosts();
    std::fputws(corvastel::tool::describe(hosts).c_str(), stdout);
    for (const auto& host : hosts) {
        if (!host.creates) return kFailed;
    }
    return kDone;
}

// What a failure means for the user, and what to do about it; empty where nothing more
// can be said than the code.
std::wstring explain(HRESULT hr)
{
    using corvastel::kOtherBuild;
    using corvastel::kThisBuild;
    switch (hr) {
    case HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND):
    case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND):
        return L"the file was not found";
    case E_ACCESSDENIED:
        return L"access denied: run it as a user who may read the DLL, or register for all users "
               L"from an elevated prompt with regsvr32";
    case HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT):
        return std::wstring(L"it is not a ") + kThisBuild.name + L" DLL, the only kind this RegisterCorvastel.exe (the " +
               kThisBuild.build + L" build's) registers: use the " + kOtherBuild.build +
               L" build's RegisterCorvastel.exe for a " + kOtherBuild.name + L" Corvastel.dll";
    case HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND):
        return L"this DLL does not register itself: it is not Corvastel.dll";
    case SELFREG_E_TYPELIB:
        return L"the type library could not be registered";
    case SELFREG_E_CLASS:
        return L"the class could not be registered";
    default:
        return {};
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    bool unregister = false;
    bool check = false;
    std::wstring dll;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* argument = argv[i];
        if (_wcsicmp(argument, L"/?") == 0 || _wcsicmp(argument, L"-h") == 0 || _wcsicmp(argument, L"--help") == 0) {
            std::fputws(kUsage, stdout);
            return kDone;
        }
        if (_wcsicmp(argument, L"/u") == 0) {
            unregister = true;
        } else if (_wcsicmp(argument, L"/check") == 0) {
            check = true;
        } else if (argument[0] != L'/' && argument[0] != L'-' && dll.empty()) {
            dll = argument;
        } else {
            std::fwprintf(stderr, L"RegisterCorvastel: %ls is not an option here\n\n%ls", argument, kUsage);
            return kUsageError;
        }
    }
    if (check && (unregister || !dll.empty())) {
        std::fwprintf(stderr, L"RegisterCorvastel: /check takes nothing else\n\n%ls", kUsage);
        return kUsageError;
    }
    if (check) return reportRegistration();
    const Outcome outcome = dll.empty() ? registerBesideThisProgram(dll, unregister) : registerForUser(dll, unregister);
    const HRESULT hr = outcome.status;
    const std::wstring explanation = outcome.failedStep ? outcome.failedStep : explain(hr);
    std::wprintf(L"%ls %ls for the current user: %ls (0x%08lx)%ls%ls\n", unregister ? L"Unregistering" : L"Registering",
                 dll.c_str(), SUCCEEDED(hr) ? L"done" : L"failed", static_cast<unsigned long>(hr),
                 explanation.empty() ? L"" : L": ", explanation.c_str());
    return SUCCEEDED(hr) ? kDone : kFailed;
}
