// The Basic-runtime rules of the production conversions, in the US English locale
// the suite pins, and in German to show that they follow the user's locale.

#include "platform/ansi.h"
#include "platform/basic_runtime.h"
#include "support/variants.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvastel::testing {
namespace {

// Outcome of a conversion as one comparable line: the text or number, or the error.
std::string textOf(const VARIANT& value)
{
    UniqueBstr text;
    const HRESULT hr = toText(value, text);
    if (FAILED(hr)) return "error " + std::to_string(HRESULT_CODE(hr));
    UniqueVariant asVariant = textVariant(view(text.get()));
    return describe(asVariant.get());
}

std::string byteOf(const VARIANT& value)
{
    BYTE number = 0;
    const HRESULT hr = toByte(value, number);
    return FAILED(hr) ? "error " + std::to_string(HRESULT_CODE(hr)) : std::to_string(number);
}

std::string longOf(const VARIANT& value)
{
    LONG number = 0;
    const HRESULT hr = toLong(value, number);
    return FAILED(hr) ? "error " + std::to_string(HRESULT_CODE(hr)) : std::to_string(number);
}

bool isNumericText(const wchar_t* text) { return isNumeric(textVariant(text).get()); }

const DATE kJanuary2nd2020 = 43832.0;

TEST(IsNumeric, AcceptsNumericVariantsIncludingEmptyAndBooleans)
{
    EXPECT_TRUE(isNumeric(UniqueVariant().get()));
    EXPECT_TRUE(isNumeric(boolVariant(false).get()));
    EXPECT_TRUE(isNumeric(shortVariant(300).get()));
    EXPECT_TRUE(isNumeric(doubleVariant(2.5).get()));
    EXPECT_TRUE(isNumeric(currencyVariant(12345).get()));
    EXPECT_TRUE(isNumeric(doubleVariant(std::nan("")).get()));  // by its type, as on Windows
}

TEST(IsNumeric, RejectsNullDatesErrorsArraysAndObjectsWithoutANumber)
{
    EXPECT_FALSE(isNumeric(nullVariant().get()));
    EXPECT_FALSE(isNumeric(dateVariant(kJanuary2nd2020).get()));
    EXPECT_FALSE(isNumeric(errorVariant(DISP_E_PARAMNOTFOUND).get()));
    EXPECT_FALSE(isNumeric(arrayVariant().get()));
    EXPECT_FALSE(isNumeric(objectVariant(nullptr).get()));
    UniqueVariant word = textVariant(L"seven");
    EXPECT_FALSE(isNumeric(objectVariant(&word.get()).get()));
}

TEST(IsNumeric, EvaluatesObjectsByTheirDefaultValue)
{
    UniqueVariant number = longVariant(7);
    EXPECT_TRUE(isNumeric(objectVariant(&number.get()).get()));
    UniqueVariant numericText = textVariant(L"42");
    EXPECT_TRUE(isNumeric(objectVariant(&numericText.get()).get()));
}

TEST(IsNumeric, ReadsTextAsTheNumberParserDoes)
{
    for (const wchar_t* number : {L"42", L"  42  ", L"-1.5e3", L"+7", L"1,000", L".5", L"$5", L"&H1F", L"&O17", L"(5)",
                                  L"&HFFFFFFFF", L"&H80000001", L"&O37777777777"}) {
        EXPECT_TRUE(isNumericText(number)) << "\"" << std::string(number, number + wcslen(number)) << "\"";
    }
    for (const wchar_t* other : {L"", L"   ", L"abc", L"12abc", L"1e400", L"&HZZ", L"1.2.3", L"2,5e", L"--1"}) {
        EXPECT_FALSE(isNumericText(other)) << "\"" << std::string(other, other + wcslen(other)) << "\"";
    }
}

TEST(IsNumeric, FollowsByReferenceVariants)
{
    UniqueVariant number = textVariant(L"42");
    EXPECT_TRUE(isNumeric(byRef(number)));
    UniqueVariant word = textVariant(L"x");
    EXPECT_FALSE(isNumeric(byRef(word)));
}

TEST(ToText, FollowsBasicCStr)
{
    EXPECT_EQ(textOf(boolVariant(true).get()), "\"True\"");
    EXPECT_EQ(textOf(boolVariant(false).get()), "\"False\"");
    EXPECT_EQ(textOf(UniqueVariant().get()), "\"\"");
    EXPECT_EQ(textOf(longVariant(-42).get()), "\"-42\"");
    EXPECT_EQ(textOf(doubleVariant(2.5).get()), "\"2.5\"");
    EXPECT_EQ(textOf(doubleVariant(1e20).get()), "\"1E+20\"");
    EXPECT_EQ(textOf(currencyVariant(12345).get()), "\"1.2345\"");
    EXPECT_EQ(textOf(dateVariant(kJanuary2nd2020).get()), "\"1/2/2020\"");
    EXPECT_EQ(textOf(textVariant(L"  as is  ").get()), "\"  as is  \"");
    UniqueVariant number = longVariant(7);
    EXPECT_EQ(textOf(objectVariant(&number.get()).get()), "\"7\"");
    UniqueVariant inner = doubleVariant(0.25);
    EXPECT_EQ(textOf(byRef(inner)), "\"0.25\"");
}

TEST(ToText, FailsWithBasicErrors)
{
    EXPECT_EQ(textOf(nullVariant().get()), "error 94");
    UniqueVariant null = nullVariant();
    EXPECT_EQ(textOf(byRef(null)), "error 94");
    EXPECT_EQ(textOf(errorVariant(DISP_E_PARAMNOTFOUND).get()), "error 13");
    EXPECT_EQ(textOf(arrayVariant().get()), "error 13");
    EXPECT_EQ(textOf(objectVariant(nullptr).get()), "error 13");
}

TEST(ToByte, CoercesWithBankersRoundingAndBasicErrors)
{
    EXPECT_EQ(byteOf(longVariant(255).get()), "255");
    EXPECT_EQ(byteOf(doubleVariant(2.5).get()), "2");
    EXPECT_EQ(byteOf(doubleVariant(3.5).get()), "4");
    EXPECT_EQ(byteOf(textVariant(L" 7 ").get()), "7");
    EXPECT_EQ(byteOf(UniqueVariant().get()), "0");
    EXPECT_EQ(byteOf(shortVariant(300).get()), "error 6");
    EXPECT_EQ(byteOf(longVariant(-1).get()), "error 6");
    EXPECT_EQ(byteOf(boolVariant(true).get()), "255");  // the coercion takes True's low byte
    EXPECT_EQ(byteOf(textVariant(L"x").get()), "error 13");
    EXPECT_EQ(byteOf(nullVariant().get()), "error 94");
}

TEST(ToLongAndToByte, OverflowForEveryIntegerTypeOutOfRange)
{
    UniqueVariant big;
    V_UI4(big.put()) = 3000000000u;
    V_VT(big.addressof()) = VT_UI4;
    EXPECT_EQ(longOf(big.get()), "error 6");
    UniqueVariant negative;
    V_I1(negative.put()) = -5;
    V_VT(negative.addressof()) = VT_I1;
    EXPECT_EQ(byteOf(negative.get()), "error 6");
    EXPECT_EQ(longOf(negative.get()), "-5");
    UniqueVariant huge;
    V_I8(huge.put()) = 1LL << 40;
    V_VT(huge.addressof()) = VT_I8;
    EXPECT_EQ(longOf(huge.get()), "error 6");
    UniqueVariant single;
    V_R4(single.put()) = std::nanf("");
    V_VT(single.addressof()) = VT_R4;
    const UniqueVariant notANumber = doubleVariant(std::nan(""));
    for (const VARIANT* value : {&single.get(), &notANumber.get()}) {
        EXPECT_EQ(longOf(*value), "error 6");
        EXPECT_EQ(byteOf(*value), "error 6");
    }
    EXPECT_EQ(longOf(textVariant(L"&HFFFFFFFF").get()), "-1");
}

TEST(ToLong, CoercesWithBankersRoundingAndBasicErrors)
{
    EXPECT_EQ(longOf(doubleVariant(2.5).get()), "2");
    EXPECT_EQ(longOf(doubleVariant(-2.5).get()), "-2");
    EXPECT_EQ(longOf(doubleVariant(3.5).get()), "4");
    EXPECT_EQ(longOf(doubleVariant(2147483647.0).get()), "2147483647");
    EXPECT_EQ(longOf(textVariant(L"1,000").get()), "1000");
    EXPECT_EQ(longOf(boolVariant(true).get()), "-1");
    EXPECT_EQ(longOf(dateVariant(kJanuary2nd2020).get()), "43832");
    EXPECT_EQ(longOf(doubleVariant(2147483648.0).get()), "error 6");
    EXPECT_EQ(longOf(textVariant(L"").get()), "error 13");
    EXPECT_EQ(longOf(errorVariant(DISP_E_PARAMNOTFOUND).get()), "error 13");
    EXPECT_EQ(longOf(nullVariant().get()), "error 94");
}

TEST(Ansi, ConvertsThroughCodePage1252)
{
    ASSERT_EQ(GetACP(), 1252u) << "the suite pins an English locale";
    EXPECT_EQ(toAnsi(L"caf\u00e9 \u20ac"), "caf\xe9 \x80");
    EXPECT_EQ(fromAnsi("caf\xe9 \x80"), L"caf\u00e9 \u20ac");
    EXPECT_EQ(toAnsi(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    const std::string omega = toAnsi(L"\u03a9");
    EXPECT_EQ(omega.size(), 1u);
    EXPECT_NE(omega, std::string(1, '\0'));
}

// A date as the user's locale writes it in short form.
std::string shortDate(WORD year, WORD month, WORD day)
{
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    char text[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, sizeof text);
    return text;
}

// Run under LANG=de_DE.UTF-8 by its own CTest entry.
class GermanLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (GetUserDefaultLCID() != MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)) {
            GTEST_SKIP() << "needs the German locale";
        }
    }
};

TEST_F(GermanLocale, NumbersDatesAndBooleansFollowTheLocale)
{
    EXPECT_EQ(textOf(doubleVariant(2.5).get()), "\"2,5\"");
    EXPECT_EQ(textOf(dateVariant(kJanuary2nd2020).get()), "\"" + shortDate(2020, 1, 2) + "\"");
    EXPECT_EQ(textOf(boolVariant(true).get()), "\"Wahr\"");
    EXPECT_TRUE(isNumericText(L"2,5"));
    EXPECT_TRUE(isNumericText(L"1.000,5"));
    EXPECT_FALSE(isNumericText(L"$5"));
    EXPECT_EQ(longOf(textVariant(L"2,5").get()), "2");
    EXPECT_EQ(longOf(textVariant(L"3,5").get()), "4");
}

}  // namespace
}  // namespace corvastel::testing
