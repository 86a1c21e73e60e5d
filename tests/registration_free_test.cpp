// Run with nothing registered (release): a host that activates the
// Corvastel.manifest of dist/<arch> creates the class by CLSID and by ProgID, from the DLL
// beside the manifest. The manifest's path comes as --manifest=PATH.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/corvastel_h.h"
#include "automation/corvastel_identities.h"
#include "platform/owners.h"
#include "support/processes.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {

std::wstring manifestPath;

// The manifest's activation context, active for the length of each test.
class RegistrationFree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CLSID classId{};
        ASSERT_NE(CLSIDFromProgID(kProgId, &classId), S_OK) << "this test expects nothing registered";
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override
    {
        ACTCTXW description{};
        description.cbSize = sizeof description;
        description.lpSource = manifestPath.c_str();
        context_ = CreateActCtxW(&description);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE) << "the manifest does not load";
        ASSERT_TRUE(ActivateActCtx(context_, &cookie_));
    }
    void TearDown() override
    {
        if (cookie_) DeactivateActCtx(0, cookie_);
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
    }

    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

TEST_F(RegistrationFree, CreatesTheClassByIdFromTheDllBesideTheManifest)
{
    ComPtr<_clsRegistry> object;
    ASSERT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
    UniqueBstr key = allocateBstr(L"Software");
    VARIANT_BOOL exists = VARIANT_FALSE;
    RegRootKey root = static_cast<RegRootKey>(0x80000001);
    BSTR path = key.get();
    EXPECT_EQ(object->regDoes_Key_Exist(&root, &path, &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);

    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"Corvastel.dll"), loaded, MAX_PATH);
    wchar_t manifest[MAX_PATH] = {};
    GetFullPathNameW(manifestPath.c_str(), MAX_PATH, manifest, nullptr);
    const std::wstring folder(manifest, wcsrchr(manifest, L'\\') + 1);
    EXPECT_EQ(_wcsnicmp(loaded, folder.c_str(), folder.size()), 0) << "loaded a DLL from elsewhere";
}

TEST_F(RegistrationFree, ResolvesTheProgIdToTheClass)
{
    if (runningUnderWine()) {
        GTEST_SKIP() << "Wine 8 answers a ProgID from an activation context with a wrong CLSID; "
                        "Windows resolves the comClass progid of the manifest";
    }
    CLSID classId{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &classId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(classId, CLSID_clsRegistry));
}

}  // namespace
}  // namespace corvastel::testing

int wmain(int argc, wchar_t** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (wcsncmp(argv[i], L"--manifest=", 11) == 0) corvastel::testing::manifestPath = argv[i] + 11;
    }
    return RUN_ALL_TESTS();
}
