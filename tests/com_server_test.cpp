// Corvastel.dll registered as users register it: for the machine by the prefix's own
// regsvr32, for the user by RegisterCorvastel.exe. Each writes exactly the entries below,
// RegisterCorvastel /check says what hosts get from them, and unregistering takes every
// entry away and nothing else.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/registration_doctor.h"
#include "platform/module_files.h"
#include "support/client.h"
#include "support/test_main.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace corvastel::testing {
namespace {

const std::wstring kInterfaceKey = std::wstring(L"Interface\\") + kInterfaceIdText;
const std::wstring kTypeLibKey = std::wstring(L"TypeLib\\") + kLibraryIdText;
const wchar_t kUniversalMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring dllPath() { return besideThisProgram(L"Corvastel.dll"); }

// Runs a command line to its end; returns the program's exit code, or the error that
// kept it from starting.
DWORD runToEnd(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    const UniqueKernelHandle thread(process.hThread), program(process.hProcess);
    DWORD exitCode = 0;
    WaitForSingleObject(program.get(), INFINITE);
    GetExitCodeProcess(program.get(), &exitCode);
    return exitCode;
}
DWORD regsvr32(const std::wstring& options) { return runToEnd(L"regsvr32.exe " + options + L" \"" + dllPath() + L"\""); }
DWORD registerForUser(const std::wstring& options)
{
    return runToEnd(L"\"" + besideThisProgram(L"RegisterCorvastel.exe") + L"\" " + options);
}

// A key with all its values, sorted by name ("@" the default), and then its subkeys:
// strings as stored, their terminators shown as \0.
void list(HKEY root, const std::wstring& path, std::wstring& text)
{
    UniqueHkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    text += path + L"\n";
    std::map<std::wstring, std::wstring> values;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        wchar_t data[1024];
        DWORD nameSize = 256, size = sizeof data, type = 0;
        if (RegEnumValueW(key.get(), index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &size)) break;
        std::wstring value = type == REG_SZ ? L"" : L"type " + std::to_wstring(type) + L" ";
        for (const wchar_t c : std::wstring_view(data, size / sizeof(wchar_t))) value += c ? std::wstring(1, c) : L"\\0";
        values[nameSize ? name : L"@"] = value;
    }
    for (const auto& [valueName, value] : values) text += L"  " + valueName + L"=" + value + L"\n";
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
        list(root, path + L"\\" + name, text);
    }
}

std::wstring ourEntries(HKEY classes)
{
    std::wstring text;
    for (const std::wstring& key : {std::wstring(kClassKey), std::wstring(kProgId), kInterfaceKey, kTypeLibKey}) list(classes, key, text);
    return text;
}

std::wstring expectedEntries()
{
    const std::wstring dll = dllPath(), progId = kProgId, libraryId = kLibraryIdText, version = kTypeLibKey + L"\\2.0";
    const std::wstring classKey = kClassKey;
    return classKey + L"\n  @=" + progId + L"\\0\n" +
           classKey + L"\\InprocServer32\n  @=" + dll + L"\\0\n  ThreadingModel=Apartment\\0\n" +
           classKey + L"\\ProgID\n  @=" + progId + L"\\0\n" +
           classKey + L"\\TypeLib\n  @=" + libraryId + L"\\0\n" +
           progId + L"\n  @=" + progId + L"\\0\n" +
           progId + L"\\CLSID\n  @=" + kClassIdText + L"\\0\n" +
           kInterfaceKey + L"\n  @=_clsRegistry\\0\n" +
           kInterfaceKey + L"\\ProxyStubClsid\n  @=" + kUniversalMarshaler + L"\\0\n" +
           kInterfaceKey + L"\\ProxyStubClsid32\n  @=" + kUniversalMarshaler + L"\\0\n" +
           kInterfaceKey + L"\\TypeLib\n  @=" + libraryId + L"\\0\n  Version=2.0\\0\n" +
           kTypeLibKey + L"\n" + version + L"\n  @=Corvastel\\0\n" + version + L"\\0\n" +
           version + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32") + L"\n  @=" + dll + L"\\0\n" +
           version + L"\\FLAGS\n  @=8\\0\n" + version + L"\\HELPDIR\n  @=" + dll.substr(0, dll.rfind(L'\\')) + L"\\0\n";
}

// A root key's subkey, open for reading.
UniqueHkey subKey(HKEY root, const wchar_t* path)
{
    UniqueHkey key;
    EXPECT_EQ(RegOpenKeyExW(root, path, 0, KEY_READ, key.put()), ERROR_SUCCESS);
    return key;
}

// What RegisterCorvastel /check reports for hosts of this program's bitness.
std::wstring checkedForThisBitness()
{
    for (const automation::HostCheck& host : automation::checkRegistration()) {
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
    const std::vector<automation::HostCheck> hosts = automation::checkRegistration();
    const std::wstring report = automation::describe(hosts);
    EXPECT_EQ(report.substr(report.rfind(L'\n', report.size() - 2)), hosts.size() == 1 ? L"\nEvery host on this Windows creates the object.\n"
                                                                                     : L"\nSome hosts on this Windows cannot create the object.\n");
    // The user's registration comes first, whatever the length of its path.
    const std::wstring userServer = L"Software\\Classes\\" + std::wstring(kClassKey) + L"\\InprocServer32";
    const std::wstring missing = L"C:\\" + std::wstring(300, L'm') + L".dll";
    RegSetKeyValueW(HKEY_CURRENT_USER, userServer.c_str(), nullptr, REG_SZ, missing.c_str(),
                    static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(checkedForThisBitness(),
              L"for the current user " + missing + L": fails; the registered file does not exist: it has been moved or deleted" +
                  L"; the type library is registered from another file: " + dllPath());
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + std::wstring(kClassKey)).c_str());
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), L"");
    EXPECT_EQ(checkedForThisBitness(), std::wstring(L" : fails; the class is not registered for ") +
                                           (sizeof(void*) == 8 ? L"64-bit" : L"32-bit") + L" hosts; the ProgID " + kProgId +
                                           L" is not registered");

    // A ProgID that another class has taken over since is not ours to remove.
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    const std::wstring other = L"{00000000-1111-2222-3333-444444444444}";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, (std::wstring(kProgId) + L"\\CLSID").c_str(), nullptr, REG_SZ, other.c_str(),
                    static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(ourEntries(HKEY_CLASSES_ROOT), std::wstring(kProgId) + L"\n  @=" + kProgId + L"\\0\n" + kProgId + L"\\CLSID\n  @=" + other + L"\\0\n");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    EXPECT_EQ(regsvr32(L"/u /s"), 0u) << "unregistering what is not registered must succeed";
    ASSERT_EQ(regsvr32(L"/s"), 0u);  // as the suite found it
}

TEST(Registration, UserEntriesAreTheSameUnderTheUsersClassesAndNoneInTheMachines)
{
    const UniqueHkey machine = subKey(HKEY_LOCAL_MACHINE, L"Software\\Classes");
    const std::wstring machineBefore = ourEntries(machine.get());
    ASSERT_EQ(registerForUser(L""), 0u);
    const UniqueHkey user = subKey(HKEY_CURRENT_USER, L"Software\\Classes");
    EXPECT_EQ(ourEntries(user.get()), expectedEntries());
    EXPECT_EQ(ourEntries(machine.get()), machineBefore);
    // Wine 8's HKEY_CLASSES_ROOT is the machine's classes alone; Windows merges in the user's.
    CLSID classId{};
    EXPECT_TRUE(runningUnderWine() || CLSIDFromProgID(kProgId, &classId) == S_OK);
    ASSERT_EQ(registerForUser(L"/u"), 0u);
    EXPECT_EQ(ourEntries(user.get()), L"");
    EXPECT_EQ(ourEntries(machine.get()), machineBefore);
}

}  // namespace
}  // namespace corvastel::testing
