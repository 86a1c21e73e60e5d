// Corvastel.dll registered with the prefix's own regsvr32: the entries it makes, creation
// by ProgID, calls across apartments, and unregistration that leaves nothing behind.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/corvastel_h.h"
#include "automation/corvastel_identities.h"
#include "platform/module_files.h"
#include "platform/owners.h"
#include "support/corvastel_dll.h"
#include "support/processes.h"
#include "support/test_key.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;
const std::wstring kInterfaceKey = std::wstring(L"Interface\\") + kInterfaceIdText;
const std::wstring kTypeLibKey = std::wstring(L"TypeLib\\") + kLibraryIdText;

std::wstring dllPath() { return besideThisProgram(L"Corvastel.dll"); }

// Runs this prefix's regsvr32 of our own bitness; returns its exit code.
DWORD regsvr32(const std::wstring& options)
{
    return runToEnd(L"regsvr32.exe " + options + L" \"" + dllPath() + L"\"");
}

std::wstring classesValue(const std::wstring& key, const wchar_t* name = nullptr)
{
    return stringValue(HKEY_CLASSES_ROOT, key, name);
}

// Writes a number through the object and reads it back; true when it round-trips.
bool roundTrip(_clsRegistry* object, const std::wstring& path, LONG number)
{
    UniqueBstr keyPath = allocateBstr(path);
    UniqueBstr name = allocateBstr(L"n");
    UniqueVariant data = longVariant(number);
    RegDataType type = static_cast<RegDataType>(4);
    UniqueVariant read;
    return SUCCEEDED(object->regCreate_Key_Value(kCurrentUserRoot, keyPath.get(), name.get(), data.addressof(), &type)) &&
           SUCCEEDED(object->regQuery_A_Key(kCurrentUserRoot, keyPath.get(), name.get(), read.put())) &&
           V_VT(&read.get()) == VT_I4 && V_I4(&read.get()) == number;
}

// A single-threaded apartment must keep its message loop running while another
// apartment calls into it.
void waitPumpingMessages(std::thread& worker, const std::atomic<bool>& done)
{
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    worker.join();
}

class Registered : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(regsvr32(L"/s"), 0u);
    }
    // The registration stays as the suite found it; CTest's fixture removes it.
    static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(Registered, EntriesLeadFromTheProgIdToTheDll)
{
    CLSID classId{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &classId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(classId, CLSID_clsRegistry));

    const std::wstring server = classesValue(std::wstring(kClassKey) + L"\\InprocServer32");
    EXPECT_EQ(_wcsicmp(server.c_str(), dllPath().c_str()), 0) << "InprocServer32";
    EXPECT_EQ(classesValue(std::wstring(kClassKey) + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(classesValue(std::wstring(kClassKey) + L"\\ProgID"), kProgId);
    EXPECT_EQ(classesValue(kInterfaceKey + L"\\TypeLib"), kLibraryIdText);
    EXPECT_EQ(classesValue(std::wstring(kInterfaceKey) + L"\\ProxyStubClsid32"),
              L"{00020424-0000-0000-C000-000000000046}");
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kTypeLibKey + L"\\" + kVersionText + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32")));
}

TEST_F(Registered, CreatesTheObjectByProgId)
{
    const TestKey key;
    const ComPtr<_clsRegistry> object = createByProgId();
    ASSERT_TRUE(object);
    EXPECT_TRUE(roundTrip(object.Get(), key.path(), 42));
}

TEST_F(Registered, CallsFromAnotherApartmentAreMarshalledToTheObjectsOwn)
{
    const TestKey key;
    const ComPtr<_clsRegistry> object = createByProgId();
    ASSERT_TRUE(object);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__clsRegistry, object.Get(), &stream), S_OK);

    std::atomic<bool> done{false};
    bool proxied = false;
    bool worked = false;
    std::thread worker([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            ComPtr<_clsRegistry> proxy;
            if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream, IID_PPV_ARGS(&proxy)))) {
                proxied = proxy.Get() != object.Get();
                worked = true;
                for (LONG round = 0; round < 200 && worked; ++round) worked = roundTrip(proxy.Get(), key.path(), -round);
            }
        }
        CoUninitialize();
        done = true;
    });
    waitPumpingMessages(worker, done);
    EXPECT_TRUE(proxied) << "a call from another apartment must go through a proxy";
    EXPECT_TRUE(worked);
}

TEST_F(Registered, ObjectsInSeveralApartmentsWorkAtOnce)
{
    const TestKey key;
    std::atomic<int> failures{0};
    std::vector<std::thread> apartments;
    for (int apartment = 0; apartment < 8; ++apartment) {
        apartments.emplace_back([&, apartment] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                const ComPtr<_clsRegistry> object = createByProgId();
                const std::wstring path = key.path(std::to_wstring(apartment));
                for (LONG round = 0; round < 500; ++round) {
                    if (!object || !roundTrip(object.Get(), path, apartment * 1000 + round)) ++failures;
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& apartment : apartments) apartment.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(Registered, UnregistrationRemovesWhatRegistrationAddedAndNothingElse)
{
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    CLSID classId{};
    EXPECT_NE(CLSIDFromProgID(kProgId, &classId), S_OK);
    for (const std::wstring& key : {kClassKey, std::wstring(kProgId), kInterfaceKey, kTypeLibKey}) {
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key)) << "left behind";
    }

    // A ProgID that another class has taken over since is not ours to remove.
    ASSERT_EQ(regsvr32(L"/s"), 0u);
    const std::wstring other = L"{00000000-1111-2222-3333-444444444444}";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, (std::wstring(kProgId) + L"\\CLSID").c_str(), nullptr, REG_SZ, other.c_str(),
                    static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(classesValue(std::wstring(kProgId) + L"\\CLSID"), other);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);

    ASSERT_EQ(regsvr32(L"/s"), 0u);  // as the suite expects
    EXPECT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(regsvr32(L"/u /s"), 0u) << "unregistering twice must succeed";
    ASSERT_EQ(regsvr32(L"/s"), 0u);
}

}  // namespace
}  // namespace corvastel::testing
