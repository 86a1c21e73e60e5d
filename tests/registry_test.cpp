// clsRegistry against the real registry, under a key of each test's own. What the
// class stores is checked with raw ANSI reads, and every test ends with no handle
// left open.

#include "platform/basic_runtime.h"
#include "registry/cls_registry.h"
#include "support/corvastel_dll.h"
#include "support/counting_registry.h"
#include "support/test_key.h"
#include "support/variants.h"

#include <gtest/gtest.h>

namespace corvastel::testing {
namespace {

using namespace std::string_literals;

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(registry_.openHandles(), 0u) << registry_.callSequence();
        EXPECT_EQ(registry_.misuses(), 0u) << registry_.callSequence();
    }


    // The value as regQuery_A_Key returns it, in describe()'s form, or the error.
    std::string query(const std::wstring& name, const std::wstring& subKey = {})
    {
        UniqueVariant result;
        const HRESULT hr = reg_.regQuery_A_Key(kCurrentUserRoot, pathOf(subKey), name, result);
        return FAILED(hr) ? "error " + std::to_string(HRESULT_CODE(hr)) : describe(result.get());
    }

    // Writes through regCreate_Key_Value; returns the error number, 0 on success, and
    // leaves in type the type the operation chose.
    int createReportingType(const std::wstring& name, const VARIANT& data, RegDataType& type,
                            const std::wstring& subKey = {})
    {
        return HRESULT_CODE(reg_.regCreate_Key_Value(kCurrentUserRoot, pathOf(subKey), name, data, type));
    }
    int create(const std::wstring& name, const VARIANT& data, RegDataType type, const std::wstring& subKey = {})
    {
        return createReportingType(name, data, type, subKey);
    }

    std::wstring pathOf(const std::wstring& subKey) const { return subKey.empty() ? key_.path() : key_.path(subKey); }

    TestKey key_;
    CountingRegistry registry_;
    clsRegistry reg_{registry_};
};

const RegDataType kOmitted = static_cast<RegDataType>(REG_NONE);
RegDataType typeOf(DWORD platformType) { return static_cast<RegDataType>(platformType); }

TEST_F(RegistryTest, QueryReadsEachStoredForm)
{
    struct Stored {
        const char* name;
        DWORD type;
        std::string bytes;
        const char* expected;
    };
    const Stored values[] = {
        // Strings end at their first NUL, or with the stored bytes.
        {"terminated", REG_SZ, "abc\0"s, "\"abc\""},
        {"unterminated", REG_SZ, "abc"s, "\"abc\""},
        {"embedded nul", REG_SZ, "ab\0cd\0"s, "\"ab\""},
        {"terminator only", REG_SZ, "\0"s, "\"\""},
        {"no bytes", REG_SZ, ""s, "\"\""},
        {"", REG_SZ, "default\0"s, "\"default\""},
        // Numbers fill one little-endian four-byte slot; what does not fit is a failed read.
        {"all bits", REG_DWORD, "\xff\xff\xff\xff"s, "I4 -1"},
        {"short dword", REG_DWORD, "\x2a"s, "I4 42"},
        {"long dword", REG_DWORD, "\x01\0\0\0\0\0\0\0"s, "\"\""},
        {"two bytes", REG_BINARY, "\x01\x02"s, "I4 513"},
        {"four bytes", REG_BINARY, "\x01\x02\x03\x04"s, "I4 67305985"},
        {"five bytes", REG_BINARY, "\x01\x02\x03\x04\x05"s, "\"\""},
        {"empty binary", REG_BINARY, ""s, "I4 0"},
        // Every other type reads as the empty string.
        {"expand", REG_EXPAND_SZ, "%PATH%\0"s, "\"\""},
        {"multi", REG_MULTI_SZ, "a\0b\0\0"s, "\"\""},
        {"big endian", REG_DWORD_BIG_ENDIAN, "\0\0\0\1"s, "\"\""},
        {"none", REG_NONE, "x"s, "\"\""},
        {"unknown type", 0x1234, "\x01"s, "\"\""},
    };
    for (const Stored& value : values) key_.write(value.name, value.type, value.bytes);
    for (const Stored& value : values) {
        const std::string name = value.name;
        EXPECT_EQ(query(std::wstring(name.begin(), name.end())), value.expected) << "value \"" << name << "\"";
    }
}

TEST_F(RegistryTest, QueryGivesTheEmptyStringForWhatIsMissing)
{
    EXPECT_EQ(query(L"missing value"), "\"\"");
    EXPECT_EQ(query(L"any", L"missing key"), "\"\"");
}

TEST_F(RegistryTest, QueryOverflowsOnlyWhenTheFirstNulLiesBeyond32767)
{
    key_.write("32766", REG_SZ, std::string(32766, 'x') + '\0');
    key_.write("32767", REG_SZ, std::string(32767, 'x') + '\0');
    key_.write("long, unterminated", REG_SZ, std::string(40000, 'x'));
    key_.write("long after an early nul", REG_SZ, "ab\0"s + std::string(40000, 'x'));
    EXPECT_EQ(query(L"32766"), "\"" + std::string(32766, 'x') + "\"");
    EXPECT_EQ(query(L"32767"), "error 6");
    EXPECT_EQ(query(L"long, unterminated"), "\"" + std::string(40000, 'x') + "\"");
    EXPECT_EQ(query(L"long after an early nul"), "\"ab\"");
}

TEST_F(RegistryTest, CreateValueChoosesTheTypeWhenNoneIsGiven)
{
    RegDataType type = kOmitted;
    EXPECT_EQ(createReportingType(L"text", textVariant(L"  hello  ").get(), type), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(key_.read("text"), (RawValue{REG_SZ, "hello\0"s}));

    type = kOmitted;
    EXPECT_EQ(createReportingType(L"numeric text", textVariant(L"42").get(), type), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(key_.read("numeric text"), (RawValue{REG_DWORD, "\x2a\0\0\0"s}));

    type = kOmitted;
    EXPECT_EQ(createReportingType(L"boolean", boolVariant(true).get(), type), 0);
    EXPECT_EQ(key_.read("boolean"), (RawValue{REG_DWORD, "\xff\xff\xff\xff"s}));

    type = kOmitted;
    EXPECT_EQ(createReportingType(L"empty", UniqueVariant().get(), type), 0);
    EXPECT_EQ(key_.read("empty"), (RawValue{REG_DWORD, "\0\0\0\0"s}));
}

TEST_F(RegistryTest, CreateValueConvertsToTheGivenType)
{
    EXPECT_EQ(create(L"half even down", doubleVariant(2.5).get(), typeOf(REG_DWORD)), 0);
    EXPECT_EQ(create(L"half even up", doubleVariant(3.5).get(), typeOf(REG_DWORD)), 0);
    EXPECT_EQ(create(L"byte", textVariant(L"200").get(), typeOf(REG_BINARY)), 0);
    EXPECT_EQ(create(L"number as text", doubleVariant(2.5).get(), typeOf(REG_SZ)), 0);
    EXPECT_EQ(create(L"multi", textVariant(L"a").get(), typeOf(REG_MULTI_SZ)), 0);
    EXPECT_EQ(create(L"expand", textVariant(L" %TEMP% ").get(), typeOf(REG_EXPAND_SZ)), 0);
    EXPECT_EQ(create(L"embedded nul", textVariant(L"a\0b"s).get(), typeOf(REG_SZ)), 0);
    EXPECT_EQ(key_.read("half even down"), (RawValue{REG_DWORD, "\x02\0\0\0"s}));
    EXPECT_EQ(key_.read("half even up"), (RawValue{REG_DWORD, "\x04\0\0\0"s}));
    EXPECT_EQ(key_.read("byte"), (RawValue{REG_BINARY, "\xc8"s}));
    EXPECT_EQ(key_.read("number as text"), (RawValue{REG_SZ, "2.5\0"s}));
    EXPECT_EQ(key_.read("multi"), (RawValue{REG_MULTI_SZ, "a\0"s}));
    EXPECT_EQ(key_.read("expand"), (RawValue{REG_EXPAND_SZ, "%TEMP%\0"s}));
    EXPECT_EQ(key_.read("embedded nul"), (RawValue{REG_SZ, "a\0b\0"s}));
}

TEST_F(RegistryTest, CreateValueThatDoesNotConvertKeepsTheNewKeyAndWritesNothing)
{
    EXPECT_EQ(create(L"too big", shortVariant(300).get(), typeOf(REG_BINARY), L"a\\b"), 6);
    EXPECT_EQ(create(L"not a number", textVariant(L"x").get(), typeOf(REG_DWORD), L"a\\b"), 13);
    EXPECT_EQ(create(L"null", nullVariant().get(), typeOf(REG_SZ), L"a\\b"), 94);
    EXPECT_TRUE(key_.hasSubKey("a\\b"));
    EXPECT_FALSE(key_.read("too big", "a\\b"));
    EXPECT_FALSE(key_.read("not a number", "a\\b"));
    EXPECT_FALSE(key_.read("null", "a\\b"));
}

TEST_F(RegistryTest, CreateValueRoundTripsThroughQuery)
{
    EXPECT_EQ(create(L"", textVariant(L"default").get(), kOmitted), 0);
    EXPECT_EQ(create(L"number", longVariant(-7).get(), kOmitted), 0);
    EXPECT_EQ(create(L"byte", longVariant(255).get(), typeOf(REG_BINARY)), 0);
    EXPECT_EQ(query(L""), "\"default\"");
    EXPECT_EQ(query(L"number"), "I4 -7");
    EXPECT_EQ(query(L"byte"), "I4 255");
}

TEST_F(RegistryTest, NamesAndTextAreStoredInTheAnsiCodePage)
{
    EXPECT_EQ(create(L"caf\u00e9", textVariant(L"\u20ac 5").get(), kOmitted, L"cl\u00e9"), 0);
    EXPECT_EQ(key_.read("caf\xe9", "cl\xe9"), (RawValue{REG_SZ, "\x80 5\0"s}));
    EXPECT_EQ(query(L"caf\u00e9", L"cl\u00e9"), "\"? 5\"");  // describe() shows non-ASCII as ?

    // What the code page cannot hold is stored as its best fit, and found again by it.
    EXPECT_EQ(create(L"\u03a9", textVariant(L"omega").get(), kOmitted), 0);
    EXPECT_EQ(query(L"\u03a9"), "\"omega\"");
}

TEST_F(RegistryTest, DeleteSubKeyDeletesAValue)
{
    key_.write("doomed", REG_SZ, "x\0"s, "child");
    key_.write("kept", REG_SZ, "y\0"s, "child");
    reg_.regDelete_Sub_Key(kCurrentUserRoot, key_.path(L"child"), L"doomed");
    EXPECT_FALSE(key_.read("doomed", "child"));
    EXPECT_TRUE(key_.read("kept", "child"));
    EXPECT_TRUE(key_.hasSubKey("child"));

    reg_.regDelete_Sub_Key(kCurrentUserRoot, key_.path(L"child"), L"never there");
    reg_.regDelete_Sub_Key(kCurrentUserRoot, key_.path(L"no such key"), L"kept");
    EXPECT_TRUE(key_.read("kept", "child"));
    EXPECT_EQ(registry_.callSequence(), "open close open deleteValue close open close open deleteValue close open close");
}

TEST_F(RegistryTest, DeleteAKeyDeletesASubkeyOfAnExistingPath)
{
    reg_.regCreate_A_Key(kCurrentUserRoot, key_.path(L"parent\\child"));
    reg_.regCreate_A_Key(kCurrentUserRoot, key_.path(L"parent\\busy\\grandchild"));
    EXPECT_TRUE(reg_.regDelete_A_Key(kCurrentUserRoot, key_.path(L"parent"), L"child"));
    EXPECT_FALSE(key_.hasSubKey("parent\\child"));
    EXPECT_FALSE(reg_.regDelete_A_Key(kCurrentUserRoot, key_.path(L"parent"), L"child"));
    EXPECT_FALSE(reg_.regDelete_A_Key(kCurrentUserRoot, key_.path(L"parent"), L"busy"));  // it has a subkey
    EXPECT_TRUE(key_.hasSubKey("parent\\busy\\grandchild"));
}

TEST_F(RegistryTest, DeleteAKeyOnAMissingPathAttemptsNoDeletion)
{
    EXPECT_FALSE(reg_.regDelete_A_Key(kCurrentUserRoot, key_.path(L"no such path"), L"child"));
    EXPECT_EQ(registry_.callSequence(), "open close");
}

TEST_F(RegistryTest, KeyExistsWhenItOpens)
{
    EXPECT_TRUE(reg_.regDoes_Key_Exist(kCurrentUserRoot, key_.path()));
    EXPECT_TRUE(reg_.regDoes_Key_Exist(kCurrentUserRoot, L""));
    EXPECT_FALSE(reg_.regDoes_Key_Exist(kCurrentUserRoot, key_.path(L"missing")));
    EXPECT_EQ(registry_.callSequence(), "open close open close open close");
}

TEST_F(RegistryTest, CreateAKeyCreatesEveryMissingLevel)
{
    std::wstring deep;
    for (int level = 0; level < 32; ++level) deep += (deep.empty() ? L"" : L"\\") + std::to_wstring(level);
    reg_.regCreate_A_Key(kCurrentUserRoot, key_.path(deep));
    EXPECT_TRUE(reg_.regDoes_Key_Exist(kCurrentUserRoot, key_.path(deep)));
}

TEST_F(RegistryTest, OddRootsAndOverlongNamesFailQuietly)
{
    for (const RegRootKey root : {static_cast<RegRootKey>(0), static_cast<RegRootKey>(0x12345678)}) {
        UniqueVariant result;
        EXPECT_FALSE(reg_.regDoes_Key_Exist(root, key_.path()));
        EXPECT_EQ(reg_.regQuery_A_Key(root, key_.path(), L"x", result), S_OK);
        EXPECT_EQ(describe(result.get()), "\"\"");
        EXPECT_FALSE(reg_.regDelete_A_Key(root, key_.path(), L"x"));
        reg_.regCreate_A_Key(root, L"x");
        RegDataType type = kOmitted;
        EXPECT_EQ(reg_.regCreate_Key_Value(root, L"x", L"x", longVariant(1).get(), type), S_OK);
    }
    const std::wstring overlong(300, L'k');
    reg_.regCreate_A_Key(kCurrentUserRoot, key_.path(overlong));
    EXPECT_FALSE(reg_.regDoes_Key_Exist(kCurrentUserRoot, key_.path(overlong)));
    EXPECT_EQ(query(std::wstring(20000, L'v')), "\"\"");
}

}  // namespace
}  // namespace corvastel::testing
