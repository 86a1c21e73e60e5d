// The Basic-runtime rules of the production conversions, in the US English locale the
// suite pins, and in German (a CTest entry of its own) to show that they follow the
// user's locale.

#include "platform/ansi.h"
#include "platform/basic_runtime.h"
#include "support/host_data.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvastel::testing {
namespace {

Outcome failedWith(HRESULT hr) { return Outcome::ofError(HRESULT_CODE(hr)); }

Outcome textOf(const VARIANT& value)
{
    UniqueBstr text;
    const HRESULT hr = toText(value, text);
    return FAILED(hr) ? failedWith(hr) : Outcome::ofText(std::wstring(view(text.get())));
}

template <typename Number, HRESULT (*convert)(const VARIANT&, Number&)>
Outcome numberOf(const VARIANT& value)
{
    Number number = 0;
    const HRESULT hr = convert(value, number);
    return FAILED(hr) ? failedWith(hr) : Outcome::ofNumber(number);
}

// The production conversions of a value, as conversionsOf writes the table's.
std::string convert(const VARIANT& value)
{
    return conversionsOf({UniqueVariant(), isNumeric(value), textOf(value), numberOf<LONG, toLong>(value),
                          numberOf<BYTE, toByte>(value)});
}

bool germanLocale() { return GetUserDefaultLCID() == MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT); }

TEST(Conversions, FollowTheBasicRuntimeInTheUsersLocale)
{
    const bool german = germanLocale();
    ASSERT_TRUE(german || GetUserDefaultLCID() == MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    for (Datum& datum : hostData()) {
        if (german && !datum.german) continue;
        SCOPED_TRACE(describe(datum.value.get()));
        const std::string expected = german ? datum.german : conversionsOf(datum);
        EXPECT_EQ(convert(datum.value.get()), expected);
        EXPECT_EQ(convert(byRef(datum.value)), expected) << "by reference";
    }
    // NaN is numeric by its type, as Windows judges it, and no integer holds it.
    const UniqueVariant notNumbers[] = {scalarVariant(VT_R4, std::nanf("")), scalarVariant(VT_R8, std::nan(""))};
    for (const UniqueVariant& notANumber : notNumbers) {
        EXPECT_TRUE(isNumeric(notANumber.get()));
        EXPECT_EQ((numberOf<LONG, toLong>(notANumber.get())), Outcome::ofError(6));
        EXPECT_EQ((numberOf<BYTE, toByte>(notANumber.get())), Outcome::ofError(6));
    }
}

TEST(Ansi, ConvertsThroughCodePage1252AndKeepsEmbeddedNuls)
{
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(toAnsi(L"caf\u00e9 \u20ac"), "caf\xe9 \x80");
    EXPECT_EQ(fromAnsi("caf\xe9 \x80"), L"caf\u00e9 \u20ac");
    EXPECT_EQ(toAnsi(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    const std::string omega = toAnsi(L"\u03a9");
    EXPECT_EQ(omega.size(), 1u);
    EXPECT_NE(omega, std::string(1, '\0'));
}

}  // namespace
}  // namespace corvastel::testing
