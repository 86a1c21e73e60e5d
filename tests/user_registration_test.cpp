// RegisterCorvastel.exe, run as a user would run it: the DLL's own registration lands
// under the user's classes and nowhere in the machine's, and /u takes all of it away.

#include <windows.h>
#include <objbase.h>

#include "platform/module_files.h"
#include "support/processes.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <string>

namespace corvastel::testing {
namespace {

const wchar_t kUserClasses[] = L"Software\\Classes\\";
const wchar_t kClassKey[] = L"CLSID\\{6A7247F0-7113-4F01-B29C-00B6AA268166}";
const wchar_t kProgIdKey[] = L"Corvastel.clsRegistry\\CLSID";
const wchar_t kTypeLibKey[] = L"TypeLib\\{E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE}\\2.0\\0";

DWORD runTool(const std::wstring& options)
{
    return runToEnd(L"\"" + besideThisProgram(L"RegisterCorvastel.exe") + L"\" " + options);
}

// Whether the machine's class root holds each of our keys.
std::wstring machineState()
{
    std::wstring state;
    for (const wchar_t* key : {kClassKey, kProgIdKey, kTypeLibKey}) {
        state += keyExists(HKEY_LOCAL_MACHINE, kUserClasses + std::wstring(key)) ? L"1" : L"0";
    }
    return state;
}

TEST(UserRegistration, RegistersUnderTheUsersClassesOnlyAndUnregistersAll)
{
    const std::wstring machineBefore = machineState();
    ASSERT_EQ(runTool(L""), 0u);

    const std::wstring user = kUserClasses;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, user + kProgIdKey), L"{6A7247F0-7113-4F01-B29C-00B6AA268166}");
    const std::wstring server = stringValue(HKEY_CURRENT_USER, user + kClassKey + L"\\InprocServer32");
    EXPECT_EQ(_wcsicmp(server.c_str(), besideThisProgram(L"Corvastel.dll").c_str()), 0) << "InprocServer32";
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, user + kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user + kTypeLibKey + (sizeof(void*) == 8 ? L"\\win64" : L"\\win32")));
    EXPECT_EQ(machineState(), machineBefore) << "the machine's class root changed";

    ASSERT_EQ(runTool(L"/u"), 0u);
    for (const wchar_t* key : {kClassKey, kProgIdKey, kTypeLibKey}) {
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user + key)) << "left behind";
    }
    EXPECT_EQ(machineState(), machineBefore);
}

TEST(UserRegistration, HostsFindTheUsersRegistration)
{
    if (runningUnderWine()) {
        GTEST_SKIP() << "Wine 8's HKEY_CLASSES_ROOT is the machine's classes alone; Windows merges in "
                        "HKEY_CURRENT_USER\\Software\\Classes, which is where this registration goes";
    }
    ASSERT_EQ(runTool(L""), 0u);
    CLSID classId{};
    EXPECT_EQ(CLSIDFromProgID(L"Corvastel.clsRegistry", &classId), S_OK);
    ASSERT_EQ(runTool(L"/u"), 0u);
}

}  // namespace
}  // namespace corvastel::testing
