// Run with the 32-bit and the 64-bit Corvastel.dll registered in one 64-bit prefix at
// once (release): the ProgID gives each bitness the DLL of its own, and what
// that DLL writes below HKEY_LOCAL_MACHINE\Software lands in its bitness's registry view.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/corvastel_h.h"
#include "platform/owners.h"
#include "support/corvastel_dll.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {

const bool k64Bit = sizeof(void*) == 8;
const wchar_t kViewTestKey[] = L"Software\\Corvastel View Test";

class SideBySide : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        object_ = createByProgId();
        ASSERT_TRUE(object_) << "Corvastel.clsRegistry must be registered";
    }
    void TearDown() override
    {
        object_.Reset();
        CoUninitialize();
    }

    // The value written below HKEY_LOCAL_MACHINE\Software as one view of the registry sees it.
    static std::wstring readInView(REGSAM view)
    {
        wchar_t value[16] = {};
        DWORD size = sizeof value;
        UniqueHkey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kViewTestKey, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS ||
            RegQueryValueExW(key.get(), L"Bits", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
                ERROR_SUCCESS) {
            return L"<none>";
        }
        return value;
    }

    ComPtr<_clsRegistry> object_;
};

TEST_F(SideBySide, CreatesTheDllOfItsOwnBitness)
{
    const HMODULE loaded = GetModuleHandleW(L"Corvastel.dll");
    ASSERT_NE(loaded, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(loaded, path, MAX_PATH);
    EXPECT_NE(std::wstring(path).find(k64Bit ? L"\\x64\\" : L"\\x86\\"), std::wstring::npos) << "loaded the other DLL";

    UniqueBstr key = allocateBstr(L"Software\\Corvastel Side By Side");
    UniqueBstr name = allocateBstr(L"Answer");
    UniqueVariant data = textVariant(L"42");
    RegDataType type = static_cast<RegDataType>(0);
    UniqueVariant read;
    EXPECT_EQ(object_->regCreate_Key_Value(static_cast<RegRootKey>(0x80000001), key.get(), name.get(),
                                           data.addressof(), &type), S_OK);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(object_->regQuery_A_Key(static_cast<RegRootKey>(0x80000001), key.get(), name.get(), read.put()), S_OK);
    EXPECT_EQ(V_VT(&read.get()), VT_I4);
    EXPECT_EQ(V_I4(&read.get()), 42);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvastel Side By Side");
}

TEST_F(SideBySide, WritesLandInTheRegistryViewOfItsBitness)
{
    UniqueBstr key = allocateBstr(kViewTestKey);
    UniqueBstr name = allocateBstr(L"Bits");
    UniqueVariant bits = textVariant(k64Bit ? L"64" : L"32");
    RegDataType type = static_cast<RegDataType>(1);
    ASSERT_EQ(object_->regCreate_Key_Value(static_cast<RegRootKey>(0x80000002), key.get(), name.get(),
                                           bits.addressof(), &type), S_OK);

    const REGSAM ownView = k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    const REGSAM otherView = k64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    EXPECT_EQ(readInView(ownView), k64Bit ? L"64" : L"32");
    EXPECT_EQ(readInView(otherView), L"<none>");
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kViewTestKey, ownView, 0);
}

}  // namespace
}  // namespace corvastel::testing
