#include "host_data.h"

namespace corvastel::testing {
namespace {

Outcome text(std::wstring value) { return Outcome::ofText(std::move(value)); }
Outcome number(LONG value) { return Outcome::ofNumber(value); }
Outcome error(LONG value) { return Outcome::ofError(value); }
const Outcome kMismatch = error(13), kOverflow = error(6);

// Text and its conversions; CStr gives text back as it is.
Datum textDatum(std::wstring value, bool numeric, Outcome asLong, Outcome asByte, const char* german = nullptr)
{
    return {textVariant(value), numeric, text(value), std::move(asLong), std::move(asByte), german};
}
Datum notNumericText(std::wstring value) { return textDatum(std::move(value), false, kMismatch, kMismatch); }

UniqueVariant decimalVariant(double value)
{
    UniqueVariant variant;
    VarDecFromR8(value, &V_DECIMAL(variant.put()));
    V_VT(variant.addressof()) = VT_DECIMAL;
    return variant;
}

}  // namespace

std::string describe(const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Text: {
        std::string narrow;
        for (wchar_t c : outcome.text.substr(0, 40)) narrow += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
        return "\"" + narrow + (outcome.text.size() > 40 ? "...\" (" + std::to_string(outcome.text.size()) + " chars)" : "\"");
    }
    case Outcome::Number: return "number " + std::to_string(outcome.number);
    case Outcome::Boolean: return outcome.number ? "true" : "false";
    case Outcome::Nothing: return "nothing";
    case Outcome::Error: return "error " + std::to_string(outcome.number);
    }
    return "?";
}

std::string conversionsOf(const Datum& datum)
{
    return std::string(datum.numeric ? "numeric, " : "not numeric, ") + describe(datum.text) + ", " +
           describe(datum.asLong) + ", " + describe(datum.asByte);
}

std::vector<Datum> hostData()
{
    UniqueVariant seven = longVariant(7), word = textVariant(L"x"), numericWord = textVariant(L"42");
    Datum data[] = {
        {UniqueVariant(), true, text(L""), number(0), number(0)},
        {scalarVariant(VT_NULL, 0), false, error(94), error(94), error(94)},
        {scalarVariant<SHORT>(VT_I2, 300), true, text(L"300"), number(300), kOverflow},
        {longVariant(-42), true, text(L"-42"), number(-42), kOverflow},
        {longVariant(255), true, text(L"255"), number(255), number(255)},
        // CByte takes True's low byte.
        {boolVariant(true), true, text(L"True"), number(-1), number(255), "numeric, \"Wahr\", number -1, number 255"},
        {boolVariant(false), true, text(L"False"), number(0), number(0)},
        // Halves round to the even neighbour.
        {scalarVariant(VT_R8, 2.5), true, text(L"2.5"), number(2), number(2), "numeric, \"2,5\", number 2, number 2"},
        {scalarVariant(VT_R8, 3.5), true, text(L"3.5"), number(4), number(4)},
        {scalarVariant(VT_R8, -2.5), true, text(L"-2.5"), number(-2), kOverflow},
        {scalarVariant(VT_R8, 0.25), true, text(L"0.25"), number(0), number(0)},
        {scalarVariant(VT_R8, 255.5), true, text(L"255.5"), number(256), kOverflow},
        {scalarVariant(VT_R8, 2147483647.0), true, text(L"2147483647"), number(2147483647), kOverflow},
        {scalarVariant(VT_R8, 2147483648.0), true, text(L"2147483648"), kOverflow, kOverflow},
        {scalarVariant(VT_R8, 1e20), true, text(L"1E+20"), kOverflow, kOverflow},
        {scalarVariant<LONGLONG>(VT_CY, 12345), true, text(L"1.2345"), number(1), number(1)},
        {scalarVariant<LONGLONG>(VT_CY, 25000), true, text(L"2.5"), number(2), number(2)},
        {decimalVariant(3.5), true, text(L"3.5"), number(4), number(4)},
        {scalarVariant<CHAR>(VT_I1, -5), true, text(L"-5"), number(-5), kOverflow},
        {scalarVariant<ULONG>(VT_UI4, 3000000000u), true, text(L"3000000000"), kOverflow, kOverflow},
        {scalarVariant<LONGLONG>(VT_I8, 1LL << 40), true, text(L"1099511627776"), kOverflow, kOverflow},
        // Two-digit days and months, which every short date format writes alike.
        {scalarVariant<DATE>(VT_DATE, 44147.0), false, text(L"11/12/2020"), number(44147), kOverflow,
         "not numeric, \"12.11.2020\", number 44147, error 6"},
        {scalarVariant<SCODE>(VT_ERROR, DISP_E_PARAMNOTFOUND), false, kMismatch, kMismatch, kMismatch},
        {arrayVariant(), false, kMismatch, kMismatch, kMismatch},
        // Objects by their default value.
        {objectVariant(&seven.get()), true, text(L"7"), number(7), number(7)},
        {objectVariant(&numericWord.get()), true, text(L"42"), number(42), number(42)},
        {objectVariant(&word.get()), false, text(L"x"), kMismatch, kMismatch},
        {objectVariant(nullptr), false, kMismatch, kMismatch, kMismatch},
        // Text as the number parser reads it.
        textDatum(L"42", true, number(42), number(42)),
        textDatum(L" 7 ", true, number(7), number(7)),
        textDatum(L"-1.5e3", true, number(-1500), kOverflow),
        textDatum(L"+7", true, number(7), number(7)),
        textDatum(L".5", true, number(0), number(0)),
        textDatum(L"1,000", true, number(1000), kOverflow),
        textDatum(L"1.000", true, number(1), number(1), "numeric, \"1.000\", number 1000, error 6"),
        textDatum(L"3,5", true, number(35), number(35), "numeric, \"3,5\", number 4, number 4"),
        textDatum(L"$5", true, number(5), number(5), "not numeric, \"$5\", error 13, error 13"),
        textDatum(L"(5)", true, number(-5), kOverflow),
        textDatum(L"&H1F", true, number(31), number(31)),
        textDatum(L"&O17", true, number(15), number(15)),
        textDatum(L"&HFFFFFFFF", true, number(-1), kOverflow),
        textDatum(L"&H80000001", true, number(-2147483647), kOverflow),
        textDatum(L"&O37777777777", true, number(-1), kOverflow),
        notNumericText(L""), notNumericText(L"   "), notNumericText(L"  hello  "), notNumericText(L"12abc"),
        notNumericText(L"&HZZ"), notNumericText(L"1.2.3"), notNumericText(L"2,5e"), notNumericText(L"--1"),
        notNumericText(L"caf\u00e9 \u20ac"), notNumericText(L"\u03a9"), notNumericText(std::wstring(L"a\0b", 3)),
    };
    return {std::make_move_iterator(std::begin(data)), std::make_move_iterator(std::end(data))};
}

}  // namespace corvastel::testing
