#pragma once
// Data as hosts pass it: variants of every kind, with what the Basic runtime makes of
// each (IsNumeric, CStr, CLng, CByte) in the user's locale, known from how it was made,
// for the random operations to write; describe gives a readable form of variants and
// results for test messages.

#include "platform/owners.h"

#include <cstring>
#include <string>
#include <vector>

namespace corvastel::testing {

// A variant of a scalar type, its value stored in the member that the type names; every
// scalar member starts at the same place.
template <typename Scalar>
UniqueVariant scalarVariant(VARTYPE type, Scalar value)
{
    static_assert(sizeof(Scalar) <= sizeof(LONGLONG));
    UniqueVariant variant;
    std::memcpy(&V_I8(variant.put()), &value, sizeof value);
    V_VT(variant.addressof()) = type;
    return variant;
}
inline UniqueVariant boolVariant(bool value) { return scalarVariant<VARIANT_BOOL>(VT_BOOL, value ? VARIANT_TRUE : VARIANT_FALSE); }

inline UniqueVariant copyOf(const VARIANT& value)
{
    UniqueVariant copy;
    if (FAILED(VariantCopy(copy.put(), const_cast<VARIANT*>(&value)))) throw std::bad_alloc();
    return copy;
}

// VT_BYREF | VT_VARIANT pointing at target, as a script host passes a variable.
inline VARIANT byRef(UniqueVariant& target) { return scalarVariant(VT_BYREF | VT_VARIANT, target.addressof()).release(); }

// An IDispatch that answers a property get of its default member, or nothing at all.
class DefaultValueObject final : public IDispatch {
public:
    explicit DefaultValueObject(const VARIANT* value) : value_(value ? copyOf(*value) : UniqueVariant()), hasValue_(value) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (member != DISPID_VALUE || !hasValue_) return DISP_E_MEMBERNOTFOUND;
        return result ? VariantCopy(result, value_.addressof()) : S_OK;
    }

private:
    ULONG references_ = 1;
    UniqueVariant value_;
    bool hasValue_;
};

// An object whose default member returns value; with no value, an object without one.
inline UniqueVariant objectVariant(const VARIANT* defaultValue)
{
    return scalarVariant<IDispatch*>(VT_DISPATCH, new DefaultValueObject(defaultValue));
}

// Text for a test message: printable ASCII as it is, any other character as '?'.
inline std::string printable(std::wstring_view text)
{
    std::string result;
    for (wchar_t c : text) result += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    return result;
}

// "Empty", "I4 42", "\"text\"" for a string, "VT 5 2.5" for other types.
inline std::string describe(const VARIANT& value)
{
    const auto narrow = [](BSTR text) { return printable(view(text)); };
    UniqueVariant text;
    switch (V_VT(&value)) {
    case VT_EMPTY: return "Empty";
    case VT_I4: return "I4 " + std::to_string(V_I4(&value));
    case VT_BSTR: return "\"" + narrow(V_BSTR(&value)) + "\"";
    default:
        VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_BSTR);
        return "VT " + std::to_string(V_VT(&value)) + " " + narrow(V_VT(&text.get()) == VT_BSTR ? V_BSTR(&text.get()) : nullptr);
    }
}

// What a call returned: a string, a number, a boolean, nothing, or a Basic error.
struct Outcome {
    enum Kind { Text, Number, Boolean, Nothing, Error } kind = Nothing;
    std::wstring text;
    LONG number = 0;  // the number, the boolean (-1 or 0) or the error number

    bool operator==(const Outcome& other) const { return kind == other.kind && text == other.text && number == other.number; }
};

namespace outcome {
inline Outcome text(std::wstring value) { return {Outcome::Text, std::move(value), 0}; }
inline Outcome number(LONG value) { return {Outcome::Number, {}, value}; }
inline Outcome boolean(bool value) { return {Outcome::Boolean, {}, value ? -1 : 0}; }
inline Outcome error(LONG value) { return {Outcome::Error, {}, value}; }
inline const Outcome kMismatch = error(13), kOverflow = error(6);
}  // namespace outcome

struct Datum {
    UniqueVariant value;
    bool numeric;
    Outcome text, asLong, asByte;
};

// Text and its conversions; CStr gives text back as it is.
inline Datum textDatum(std::wstring value, bool numeric, Outcome asLong, Outcome asByte)
{
    return {textVariant(value), numeric, outcome::text(value), std::move(asLong), std::move(asByte)};
}
inline Datum notNumericText(std::wstring value) { return textDatum(std::move(value), false, outcome::kMismatch, outcome::kMismatch); }

inline UniqueVariant arrayVariant()
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    if (!array) throw std::bad_alloc();
    return scalarVariant(VT_ARRAY | VT_VARIANT, array);
}

inline UniqueVariant decimalVariant(double value)
{
    UniqueVariant variant;
    VarDecFromR8(value, &V_DECIMAL(variant.put()));
    V_VT(variant.addressof()) = VT_DECIMAL;
    return variant;
}

inline std::string describe(const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Text:
        return "\"" + printable(std::wstring_view(outcome.text).substr(0, 40)) +
               (outcome.text.size() > 40 ? "...\" (" + std::to_string(outcome.text.size()) + " chars)" : "\"");
    case Outcome::Number: return "number " + std::to_string(outcome.number);
    case Outcome::Boolean: return outcome.number ? "true" : "false";
    case Outcome::Nothing: return "nothing";
    case Outcome::Error: return "error " + std::to_string(outcome.number);
    }
    return "?";
}

template <size_t count>
std::vector<Datum> rows(Datum (&data)[count])
{
    return {std::make_move_iterator(std::begin(data)), std::make_move_iterator(std::end(data))};
}

// In US English, or in German the values that convert otherwise there. Whole numbers of
// every integer type come from the random operations' own generator.
inline std::vector<Datum> hostData()
{
    using namespace outcome;
    if (GetUserDefaultLCID() == MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)) {
        Datum german[] = {
            // The words stay English.
            {boolVariant(true), true, text(L"True"), number(-1), number(255)},
            {scalarVariant(VT_R8, 2.5), true, text(L"2,5"), number(2), number(2)},
            {scalarVariant<DATE>(VT_DATE, 44147.0), false, text(L"12.11.2020"), number(44147), kOverflow},
            textDatum(L"1.000", true, number(1000), kOverflow),
            textDatum(L"3,5", true, number(4), number(4)),
            notNumericText(L"$5"),
        };
        return rows(german);
    }
    UniqueVariant seven = longVariant(7), word = textVariant(L"x"), numericWord = textVariant(L"42");
    Datum data[] = {
        {UniqueVariant(), true, text(L""), number(0), number(0)},
        {scalarVariant(VT_NULL, 0), false, error(94), error(94), error(94)},
        // CByte takes True's low byte.
        {boolVariant(true), true, text(L"True"), number(-1), number(255)},
        {boolVariant(false), true, text(L"False"), number(0), number(0)},
        // Halves round to the even neighbour.
        {scalarVariant(VT_R8, 2.5), true, text(L"2.5"), number(2), number(2)},
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
        // Two-digit days and months, which every short date format writes alike.
        {scalarVariant<DATE>(VT_DATE, 44147.0), false, text(L"11/12/2020"), number(44147), kOverflow},
        // Basic's own error values (Excel's #N/A) read as text; a missing argument does not.
        {scalarVariant<SCODE>(VT_ERROR, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 2042)), false, text(L"Error 2042"),
         kMismatch, kMismatch},
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
        textDatum(L"1.000", true, number(1), number(1)),
        textDatum(L"3,5", true, number(35), number(35)),
        textDatum(L"$5", true, number(5), number(5)),
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
    return rows(data);
}

}  // namespace corvastel::testing
