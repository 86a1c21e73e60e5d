// RegisterCorvastel.exe, run as a user would run it: the DLL's own registration lands
// under the user's classes and nowhere in the machine's, and /u takes all of it away.

#include <windows.h>
#include <objbase.h>

#include "automation/corvastel_identities.h"
#include "platform/module_files.h"
#include "support/processes.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <string>

namespace corvastel::testing {
namespace {

const wchar_t kUserClasses[] = L"Software\\Classes\\";
const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;
const std::wstring kProgIdKey = std::wstring(kProgId) + L"\\CLSID";
const std::wstring kTypeLibKey = std::wstring(L"TypeLib\\") + kLibraryIdText + L"\\" + kVersionText + L"\\0";

DWORD runTool(const std::wstring& options)
{
    return runToEnd(L"\"" + besideThisProgram(L"RegisterCorvastel.exe") + L"\" " + options);
}

// Whether the machine's class root holds each of our keys.
std::wstring machineState()
{
    std::wstring state;
    for (const std::wstring& key : {kClassKey, kProgIdKey, kTypeLibKey}) {
        state += keyExists(HKEY_LOCAL_MACHINE, kUserClasses + key) ? L"1" : L"0";
    }
    return state;
}

TEST(UserRegistration, RegistersUnderTheUsersClassesOnlyAndUnregistersAll)
{
    const std::wstring machineBefore = machineState();
    ASSERT_EQ(runTool(L""), 0u);

    const std::wstring user = kUserClasses;
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, user + kProgIdKey), kClassIdText);
    const std::wstring server = stringValue(HKEY_CURRENT_USER, user + kClassKey + L"\\InprocServer32");
    EXPECT_EQ(_wcsicmp(server.c_str(), besideThisProgram(L"Corvastel.dll").c_str()), 0) << "InprocServer32";
    EXPECT_EQ(stringValue(HKEY_CURRENT_USER, user + kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user + kTypeLibKey + (sizeof(void*) == 8 ? L"\\win64" : L"\\win32")));
    EXPECT_EQ(machineState(), machineBefore) << "the machine's class root changed";

    ASSERT_EQ(runTool(L"/u"), 0u);
    for (const std::wstring& key : {kClassKey, kProgIdKey, kTypeLibKey}) {
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
    EXPECT_EQ(CLSIDFromProgID(kProgId, &classId), S_OK);
    ASSERT_EQ(runTool(L"/u"), 0u);
}

}  // namespace
}  // namespace corvastel::testing
