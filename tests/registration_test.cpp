// Corvastel registered as users register it, run while the suite has the DLL beside this
// program registered for the machine: regsvr32 and RegisterCorvastel.exe each write
// exactly the expected entries, RegisterCorvastel /check says what hosts get from them,
// unregistering takes every entry away and nothing else, and a failure says what failed.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares
#include <sddl.h>

#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "interface/registration_layout.h"
#include "platform/owners.h"
#include "register_tool/registration_doctor.h"
#include "support/client.h"
#include "support/host_data.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace corvastel::testing {
namespace {

// The keys our registration lies below, in a classes root.
const std::wstring kOurKeys[] = {kClassKey, kProgId, L"Interface\\"s + kInterfaceIdText, L"TypeLib\\"s + kLibraryIdText};

std::wstring dllPath() { return besideThisTest(L"Corvastel.dll"); }

// The build's copy of the DLL in a folder deeper than MAX_PATH.
std::wstring deepDllPath() { return besideThisTest(CORVASTEL_DEEP_DLL); }

// Runs a command line to its end, what it writes going to output; returns the program's
// exit code, or the error that kept it from starting.
DWORD runToEnd(std::wstring commandLine, std::string& output)
{
    HANDLE reading = nullptr, writing = nullptr;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(&reading, &writing, &inheritable, 0)) return GetLastError();
    UniqueKernelHandle ourEnd(reading), itsEnd(writing);
    SetHandleInformation(ourEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = itsEnd.get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    const UniqueKernelHandle thread(process.hThread), program(process.hProcess);
    itsEnd.reset();  // the program holds its own, so the pipe ends when the program does
    char buffer[4096];
    for (DWORD got = 0; ReadFile(ourEnd.get(), buffer, sizeof buffer, &got, nullptr) && got;) output.append(buffer, got);
    DWORD exitCode = 0;
    WaitForSingleObject(program.get(), INFINITE);
    GetExitCodeProcess(program.get(), &exitCode);
    return exitCode;
}
DWORD runToEnd(std::wstring commandLine)
{
    std::string ignored;
    return runToEnd(std::move(commandLine), ignored);
}
DWORD regsvr32(const std::wstring& options) { return runToEnd(L"regsvr32.exe " + options + L" \"" + dllPath() + L"\""); }
DWORD registerForUser(const std::wstring& options, std::string& output)
{
    return runToEnd(L"\"" + besideThisTest(L"RegisterCorvastel.exe") + L"\" " + options, output);
}
DWORD registerForUser(const std::wstring& options)
{
    std::string ignored;
    return registerForUser(options, ignored);
}

// A key's access list set for as long as this lives, then the one it had put back. Each
// list set here grants WRITE_DAC, so that it can be.
class AccessList {
public:
    AccessList(HKEY root, const std::wstring& path, const wchar_t* list)
    {
        RegOpenKeyExW(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, key_.put());
        DWORD size = 0;
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        previous_.resize(size);
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, previous_.data(), &size);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(list, SDDL_REVISION_1, &descriptor, nullptr);
        EXPECT_EQ(RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS) << printable(path);
        LocalFree(descriptor);
    }
    ~AccessList() { RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, previous_.data()); }
    AccessList(const AccessList&) = delete;
    AccessList& operator=(const AccessList&) = delete;

private:
    UniqueHkey key_;
    std::vector<BYTE> previous_;
};

// Keys, each with its string values by name ("@" the default), their terminators shown as \0.
using Entries = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

std::wstring format(const Entries& entries)
{
    std::wstring text;
    for (const auto& [key, values] : entries) {
        text += key + L"\n";
        for (const auto& [name, value] : values) text += L"  " + name + L"=" + value + L"\n";
    }
    return text;
}

void collect(HKEY root, const std::wstring& path, Entries& entries)
{
    UniqueHkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    auto& values = entries[path];
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        wchar_t data[1024];
        DWORD nameSize = 256, size = sizeof data, type = 0;
        if (RegEnumValueW(key.get(), index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &size)) break;
        std::wstring value = type == REG_SZ ? L"" : L"type " + std::to_wstring(type) + L" ";
        for (const wchar_t c : std::wstring_view(data, size / sizeof(wchar_t))) value += c ? std::wstring(1, c) : L"\\0";
        values[nameSize ? name : L"@"] = value;
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
        collect(root, path + L"\\" + name, entries);
    }
}

std::wstring ourEntries(HKEY classes)
{
    Entries entries;
    for (const std::wstring& key : kOurKeys) collect(classes, key, entries);
    return format(entries);
}

// The registration layout as this build registered from dll leaves it: every entry, and
// the keys between them and our keys.
std::wstring expectedEntries(const std::wstring& dll = dllPath())
{
    Entries entries;
    for (const RegistrationEntry& entry : kRegistrationLayout) {
        const std::wstring key = fillIn(entry.key, dll);
        for (const std::wstring& ours : kOurKeys) {
            for (size_t end = ours.size(); key.compare(0, ours.size(), ours) == 0 && end != std::wstring::npos;
                 end = key.find(L'\\', end + 1)) {
                entries[key.substr(0, end)];
            }
        }
        entries[key][entry.name ? entry.name : L"@"] = fillIn(entry.data, dll) + L"\\0";
    }
    return format(entries);
}

// What RegisterCorvastel /check reports for hosts of this program's bitness.
std::wstring checkedForThisBitness()
{
    for (const tool::HostCheck& host : tool::checkHosts()) {
        if (std::wstring(host.bitness) == (sizeof(void*) == 8 ? L"64-bit" : L"32-bit")) {
            std::wstring text = host.registeredBy + L" " + host.dll + (host.creates ? L": creates" : L": fails");
            for (const std::wstring& problem : host.problems) text += L"; " + problem.substr(0, problem.find(L','));
            return text;
        }
    }
    return L"no such host";
}

TEST(Registration, MachineEntriesAreExactlyTheseAndUnregistrationRemovesThem)
{
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), expectedEntries());
    EXPECT_EQ(checkedForThisBitness(), L"for the machine " + dllPath() + L": creates");
    // Without its type library the class still creates, and the report says what fails.
    UnRegisterTypeLib(LIBID_Corvastel, kVersionMajor, kVersionMinor, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    EXPECT_EQ(checkedForThisBitness(), L"for the machine " + dllPath() +
                                           L": creates; the type library is not registered: early binding and calls between apartments fail");
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    // The report begins with this Windows's bitness and ends with whether every kind of host
    // it runs creates the object: with this build alone registered, only 32-bit Windows.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool windows64 = sizeof(void*) == 8 || wow64;
    const std::wstring report = tool::describe(tool::checkHosts());
    EXPECT_EQ(report.substr(0, report.find(L'\n')), std::wstring(kProgId) + L" " + kClassIdText + L" on " + (windows64 ? L"64" : L"32") + L"-bit Windows");
    EXPECT_EQ(report.substr(report.rfind(L'\n', report.size() - 2)), windows64 ? L"\nSome hosts on this Windows cannot create the object.\n"
                                                                             : L"\nEvery host on this Windows creates the object.\n");
    // The user's registration comes first, whatever the length of its path.
    const std::wstring userServer = L"Software\\Classes\\" + std::wstring(kServerKey);
    const std::wstring missing = L"C:\\" + std::wstring(300, L'm') + L".dll";
    RegSetKeyValueW(HKEY_CURRENT_USER, userServer.c_str(), nullptr, REG_SZ, missing.c_str(),
                    static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(checkedForThisBitness(),
              L"for the current user " + missing + L": fails; the registered file does not exist: it has been moved or deleted" +
                  L"; the type library is registered from another file: " + dllPath());
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + std::wstring(kClassKey)).c_str());
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), L"");
    // A registration that fails halfway takes back what it wrote: a volatile class key takes
    // no lasting subkeys.
    UniqueHkey volatileKey;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, volatileKey.put(), nullptr);
    EXPECT_NE(regsvr32(L"/s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), L"");
    EXPECT_EQ(checkedForThisBitness(), std::wstring(L" : fails; the class is not registered for ") +
                                           (sizeof(void*) == 8 ? L"64-bit" : L"32-bit") + L" hosts; the ProgID " + kProgId +
                                           L" is not registered");
    // What to run names the build's file where the release lays it out (..\\x64\\, as the
    // test payload does too), or says which folder.
    const std::wstring build = sizeof(void*) == 8 ? L"x64" : L"x86";
    const bool laidOut = GetFileAttributesW((besideThisTest(L"..\\") + build + L"\\Corvastel.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_NE(tool::describe(tool::checkHosts()).find(laidOut ? dllPath() : L"<the " + build + L" folder>\\Corvastel.dll"),
              std::wstring::npos);

    // A ProgID that another class has taken over since is not ours to remove.
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    const std::wstring other = L"{00000000-1111-2222-3333-444444444444}";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kProgIdClassKey, nullptr, REG_SZ, other.c_str(),
                    static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), std::wstring(kProgId) + L"\n  @=" + kProgId + L"\\0\n" + kProgId + L"\\CLSID\n  @=" + other + L"\\0\n");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    EXPECT_EQ(regsvr32(L"/u /s"), 0u) << "unregistering what is not registered must succeed";
    // Unregistering is judged by all that is left: a class key that cannot be deleted
    // fails it, though the type library goes.
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    const std::wstring locked = std::wstring(kClassKey) + L"\\Locked";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, locked.c_str(), nullptr, REG_SZ, L"", sizeof(wchar_t)), ERROR_SUCCESS);
    {
        const AccessList unreadable(HKEY_CLASSES_ROOT, locked, L"D:P(A;;WDRC;;;WD)");
        EXPECT_NE(regsvr32(L"/u /s"), 0u);
    }
    EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey), ERROR_SUCCESS);
    ASSERT_EQ(regsvr32(L"/s"), 0u);  // as the suite found it
}

TEST(Registration, UserEntriesAreTheSameUnderTheUsersClassesAndNoneInTheMachines)
{
    UniqueHkey machine, user;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_READ, machine.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, user.put()), ERROR_SUCCESS);
    const std::wstring machineBefore = ourEntries(machine.get());
    ASSERT_EQ(registerForUser(L""), 0u);
    EXPECT_EQ(ourEntries(user.get()), expectedEntries());
    EXPECT_EQ(ourEntries(machine.get()), machineBefore);
    // Wine's HKEY_CLASSES_ROOT (8 and 10) is the machine's classes alone; Windows merges in the user's.
    CLSID classId{};
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    EXPECT_TRUE(wine || CLSIDFromProgID(kProgId, &classId) == S_OK);
    if (isWindows64()) {
        // The other build, registered for the user as well, keeps the ProgID both share. (Wine
        // keeps one class key for both views there, so this build's /u takes the other's class.)
        const std::wstring otherClass = L"Software\\Classes\\"s + kClassKey;
        const std::wstring otherServer = L"C:\\other build\\Corvastel.dll";
        UniqueHkey server;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (otherClass + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                                  KEY_WRITE | kOtherBuild.view, nullptr, server.put(), nullptr), ERROR_SUCCESS);
        RegSetValueExW(server.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(otherServer.c_str()),
                       static_cast<DWORD>((otherServer.size() + 1) * sizeof(wchar_t)));
        ASSERT_EQ(registerForUser(L"/u"), 0u);
        UniqueHkey progId;
        EXPECT_EQ(RegOpenKeyExW(user.get(), kProgId, 0, KEY_READ, progId.put()), ERROR_SUCCESS);
        RegDeleteKeyExW(HKEY_CURRENT_USER, (otherClass + L"\\InprocServer32").c_str(), kOtherBuild.view, 0);
        RegDeleteKeyExW(HKEY_CURRENT_USER, otherClass.c_str(), kOtherBuild.view, 0);
        RegDeleteTreeW(user.get(), kProgId);
        ASSERT_EQ(registerForUser(L""), 0u);
    }
    // Alone, it takes everything away.
    ASSERT_EQ(registerForUser(L"/u"), 0u);
    EXPECT_EQ(ourEntries(user.get()), L"");
    EXPECT_EQ(registerForUser(L"Z:\\nothing-here.dll"), 1u);
    // A user whose classes cannot be written is told so.
    {
        const AccessList readOnly(HKEY_CURRENT_USER, L"Software\\Classes", L"D:P(A;;KRWDRC;;;WD)");
        std::string output;
        EXPECT_EQ(registerForUser(L"", output), 1u);
        EXPECT_NE(output.find("the user's classes (HKEY_CURRENT_USER\\Software\\Classes) cannot be opened for writing"),
                  std::string::npos) << output;
    }
    // Help, and options it does not take, which are never taken for a DLL.
    EXPECT_EQ(registerForUser(L"/?"), 0u);
    EXPECT_EQ(registerForUser(L"--help"), 0u);
    EXPECT_EQ(registerForUser(L"/x"), 2u);
    EXPECT_EQ(registerForUser(L"/check /u"), 2u);
    EXPECT_EQ(ourEntries(user.get()), L"");
    EXPECT_EQ(ourEntries(machine.get()), machineBefore);
}

// However deep its folder, a DLL's path is told whole, and registering it writes that whole
// path or nothing (Wine's LoadTypeLib, 8 and 10, cuts paths at MAX_PATH, so there it fails).
TEST(Registration, FromAFolderDeeperThanMaxPathNamesTheWholePathOrNothing)
{
    const std::wstring deep = deepDllPath();
    ASSERT_GT(deep.size(), size_t{MAX_PATH});
    {
        const UniqueModule module(LoadLibraryW(deep.c_str()));
        ASSERT_TRUE(module.get()) << GetLastError();
        EXPECT_EQ(pathOf(module.get()), deep);
    }
    std::wstring path;
    EXPECT_EQ(modulePath(reinterpret_cast<HMODULE>(&path), path), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));

    UniqueHkey user;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, user.put()), ERROR_SUCCESS);
    std::string output;
    if (registerForUser(L"\"" + deep + L"\"", output) == 0) {
        EXPECT_EQ(ourEntries(user.get()), expectedEntries(deep));
        EXPECT_EQ(registerForUser(L"/u \"" + deep + L"\""), 0u);
    } else {
        EXPECT_NE(output.find("(0x80040200): the type library could not be registered"), std::string::npos) << output;
    }
    EXPECT_EQ(ourEntries(user.get()), L"");
}

}  // namespace
}  // namespace corvastel::testing
