#include "register_tool/registration_doctor.h"

#include "interface/corvastel_identities.h"
#include "interface/registration_layout.h"
#include "platform/module_files.h"
#include "platform/owners.h"
#include "platform/registry_text.h"

#include <cstdio>
#include <utility>

namespace corvastel::tool {
namespace {

// An entry as a host's class root shows it: the user's classes first, then the machine's.
struct Entry {
    std::wstring value;
    const wchar_t* registeredBy = nullptr;  // nullptr: found in neither
};
Entry lookUp(const std::wstring& path, REGSAM view)
{
    const std::pair<HKEY, const wchar_t*> roots[] = {{HKEY_CURRENT_USER, L"for the current user"},
                                                     {HKEY_LOCAL_MACHINE, L"for the machine"}};
    for (const auto& [root, registeredBy] : roots) {
        std::wstring value = defaultText(root, L"Software\\Classes\\" + path, view);
        if (!value.empty()) return {std::move(value), registeredBy};
    }
    return {};
}

// The machine a program file is built for, from its PE header; 0 when it is none.
WORD machineOf(const std::wstring& path)
{
    const UniqueFile file(_wfopen(path.c_str(), L"rb"));
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!file.get() || std::fread(&dos, sizeof dos, 1, file.get()) != 1 || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        std::fseek(file.get(), dos.e_lfanew, SEEK_SET) != 0 || std::fread(&signature, sizeof signature, 1, file.get()) != 1 ||
        signature != IMAGE_NT_SIGNATURE || std::fread(&header, sizeof header, 1, file.get()) != 1) {
        return 0;
    }
    return header.Machine;
}

const wchar_t* describeMachine(WORD machine)
{
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return L"a 32-bit DLL";
    case IMAGE_FILE_MACHINE_AMD64: return L"a 64-bit DLL";
    case 0: return L"no Windows program file";
    default: return L"a DLL for another processor";
    }
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file of the build for a kind of host where the release lays it out, beside this
// program's folder (..\x86\Corvastel.dll), or where it is missing, a placeholder naming it.
std::wstring releaseFile(const Bitness& kind, const wchar_t* file)
{
    std::wstring parent;
    if (SUCCEEDED(besideThisProgram(L"..\\", parent))) {
        const std::wstring relative = parent + kind.build + L"\\" + file;
        wchar_t full[MAX_PATH];
        const DWORD length = GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
        if (length > 0 && length < MAX_PATH && fileExists(full)) return std::wstring(full, length);
    }
    return std::wstring(L"<the ") + kind.build + L" folder>\\" + file;
}

// What to run so that hosts of this kind get the class again.
std::vector<std::wstring> mendsFor(const Bitness& kind)
{
    const wchar_t* regsvr32 = kind.view == KEY_WOW64_32KEY && isWindows64() ? L"%SystemRoot%\\SysWOW64\\regsvr32.exe"
                                                                           : L"%SystemRoot%\\System32\\regsvr32.exe";
    return {std::wstring(L"for all users, as administrator: ") + regsvr32 + L" \"" + releaseFile(kind, L"Corvastel.dll") + L"\"",
            L"for the current user alone: \"" + releaseFile(kind, L"RegisterCorvastel.exe") + L"\""};
}

HostCheck check(const Bitness& kind)
{
    HostCheck host{kind.name, {}, {}, {}, {}, false};
    // The class key has a copy in each view; the ProgID and the type library keys are
    // shared by both (as on Windows 7 and later), so they are read as they are.
    const Entry server = lookUp(kServerKey, kind.view);
    const Entry progIdClass = lookUp(kProgIdClassKey, 0);
    host.registeredBy = server.registeredBy ? server.registeredBy : L"";
    host.dll = server.value;
    const WORD machine = machineOf(host.dll);
    if (!server.registeredBy) {
        host.problems.push_back(std::wstring(L"the class is not registered for ") + kind.name +
                                L" hosts, so they get \"Class not registered\" (0x80040154)");
    } else if (!fileExists(host.dll)) {
        host.problems.push_back(L"the registered file does not exist: it has been moved or deleted, so hosts get "
                                L"\"The specified module could not be found\" (0x8007007E)");
    } else if (machine != kind.machine) {
        host.problems.push_back(std::wstring(L"the registered file is ") + describeMachine(machine) + L", not " +
                                describeMachine(kind.machine) + L", so hosts get \"not a valid Win32 application\" (0x800700C1)");
    }
    if (!progIdClass.registeredBy) {
        host.problems.push_back(std::wstring(L"the ProgID ") + kProgId +
                                L" is not registered, so CreateObject gets \"Invalid class string\" (0x800401F3)");
    } else if (_wcsicmp(progIdClass.value.c_str(), kClassIdText) != 0) {
        host.problems.push_back(L"the ProgID leads to another class, " + progIdClass.value + L", not to " + kClassIdText);
    }
    host.creates = host.problems.empty();

    // Early binding and calls from other apartments need the type library; creating the
    // object does not.
    const Entry library = lookUp(typeLibraryKey(kind), 0);
    const Entry classLibrary = lookUp(kClassTypeLibraryKey, kind.view);
    if (server.registeredBy && !library.registeredBy) {
        host.problems.push_back(L"the type library is not registered: early binding and calls between apartments fail");
    } else if (server.registeredBy && _wcsicmp(library.value.c_str(), host.dll.c_str()) != 0) {
        host.problems.push_back(L"the type library is registered from another file: " + library.value);
    } else if (server.registeredBy && _wcsicmp(classLibrary.value.c_str(), kLibraryIdText) != 0) {
        host.problems.push_back(L"the class names another type library: " + classLibrary.value);
    }
    if (!host.problems.empty()) host.mends = mendsFor(kind);
    return host;
}

}  // namespace

std::vector<HostCheck> checkHosts()
{
    std::vector<HostCheck> hosts{check(k32Bit)};
    if (isWindows64()) hosts.push_back(check(k64Bit));
    return hosts;
}

std::wstring describe(const std::vector<HostCheck>& hosts)
{
    std::wstring text = std::wstring(kProgId) + L" " + kClassIdText + L" on " +
                        (hosts.size() > 1 ? L"64-bit" : L"32-bit") + L" Windows\n";
    bool all = true;
    for (const HostCheck& host : hosts) {
        text += L"\n" + std::wstring(host.bitness) + L" hosts: ";
        text += host.registeredBy.empty() ? L"not registered\n" : L"registered " + host.registeredBy + L": " + host.dll + L"\n";
        for (const std::wstring& problem : host.problems) text += L"  problem: " + problem + L"\n";
        text += host.creates ? L"  they create the object\n" : L"  they cannot create the object\n";
        for (const std::wstring& mend : host.mends) text += L"  to mend, " + mend + L"\n";
        all = all && host.creates;
    }
    return text + (all ? L"\nEvery host on this Windows creates the object.\n"
                       : L"\nSome hosts on this Windows cannot create the object.\n");
}

}  // namespace corvastel::tool
