#include "conversion/basic_runtime.h"

#include <cmath>
#include <string>

namespace corvastel {
namespace {

// Basic's conversion errors for what an automation coercion reported.
HRESULT basicError(HRESULT coercion)
{
    switch (coercion) {
    case DISP_E_OVERFLOW: return kOverflow;
    case E_OUTOFMEMORY: throw std::bad_alloc();
    default: return kTypeMismatch;
    }
}

HRESULT defaultValueOf(IDispatch* object, UniqueVariant& value)
{
    if (!object) return DISP_E_TYPEMISMATCH;
    DISPPARAMS noArguments{};
    UniqueVariant result;
    const HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET | DISPATCH_METHOD, &noArguments,
                                      result.put(), nullptr, nullptr);
    if (FAILED(hr)) return hr;
    const VARTYPE type = V_VT(&result.get());
    if (type == VT_DISPATCH || type == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    value = std::move(result);
    return S_OK;
}

// The plain value a variant stands for: by-reference forms followed, and an object
// replaced by its default value, as Basic evaluates an object in an expression.
HRESULT resolve(const VARIANT& value, UniqueVariant& plain)
{
    const HRESULT hr = VariantCopyInd(plain.put(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return hr;
    if (V_VT(&plain.get()) != VT_DISPATCH) return S_OK;
    return defaultValueOf(V_DISPATCH(&plain.get()), plain);
}

bool isIntegerType(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool isNotANumber(const VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_R4: return std::isnan(V_R4(&value));
    case VT_R8: return std::isnan(V_R8(&value));
    default: return false;
    }
}

// CStr of one of Basic's error values (CVErr's, or Excel's #N/A, which hosts pass as
// errors of the control facility): "Error" and its number. Other error codes, a missing
// argument's among them, are no Basic values and convert to nothing.
HRESULT errorText(SCODE error, UniqueVariant& result)
{
    if (HRESULT_FACILITY(error) != FACILITY_CONTROL) return kTypeMismatch;
    result = textVariant(L"Error " + std::to_wstring(HRESULT_CODE(error)));
    return S_OK;
}

// Basic's CStr, CByte and CLng: Null is its own error, error values are never
// numbers, and everything else is the automation coercion in the user's locale.
HRESULT coerce(const VARIANT& value, VARTYPE target, USHORT flags, UniqueVariant& result)
{
    UniqueVariant plain;
    if (const HRESULT hr = resolve(value, plain); FAILED(hr)) return basicError(hr);
    switch (V_VT(&plain.get())) {
    case VT_NULL: return kInvalidUseOfNull;
    case VT_ERROR: return target == VT_BSTR ? errorText(V_ERROR(&plain.get()), result) : kTypeMismatch;
    default: break;
    }
    if (target != VT_BSTR && isNotANumber(plain.get())) {
        // Windows reports NaN as out of range for every integer type; Wine's coercions
        // return a number for it.
        return kOverflow;
    }
    if (target != VT_BSTR && isIntegerType(V_VT(&plain.get()))) {
        // Wine coerces between integer types of one size by copying the bits (3000000000 as
        // VT_UI4 becomes -1294967296) where Windows reports an overflow. A double holds every
        // 32-bit integer exactly, so going through one range-checks the same on both.
        if (const HRESULT hr = VariantChangeType(plain.addressof(), plain.addressof(), 0, VT_R8); FAILED(hr)) {
            return basicError(hr);
        }
    }
    const HRESULT hr = VariantChangeTypeEx(result.put(), const_cast<VARIANT*>(&plain.get()), LOCALE_USER_DEFAULT, flags, target);
    return FAILED(hr) ? basicError(hr) : S_OK;
}

bool isNumericType(VARTYPE type)
{
    switch (type) {
    case VT_EMPTY: case VT_BOOL: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
        return true;
    default:
        return isIntegerType(type);
    }
}

// Text that the automation number parser reads whole, in the user's locale, as a
// number that fits a Double or a Long: signs, parentheses, thousands separators, the
// decimal point, an exponent, the currency symbol and the &H and &O forms. The Long
// takes the &H and &O forms of negative numbers (&HFFFFFFFF is -1), which Wine does
// not read as Doubles.
bool isNumericText(BSTR text)
{
    NUMPARSE parsed{};
    BYTE digits[64];
    parsed.cDig = sizeof digits;
    parsed.dwInFlags = NUMPRS_STD;
    if (FAILED(VarParseNumFromStr(text, LOCALE_USER_DEFAULT, 0, &parsed, digits))) return false;
    UniqueVariant number;
    return SUCCEEDED(VarNumFromParseNum(&parsed, digits, VTBIT_R8 | VTBIT_I4, number.put()));
}

}  // namespace

const wchar_t* describeBasicError(HRESULT error) noexcept
{
    switch (error) {
    case kOverflow: return L"Overflow";
    case kTypeMismatch: return L"Type mismatch";
    case kOutOfStringSpace: return L"Out of string space";
    case kInvalidUseOfNull: return L"Invalid use of Null";
    default: return nullptr;
    }
}

std::wstring_view trimSpaces(std::wstring_view text) noexcept
{
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

bool isNumeric(const VARIANT& value)
{
    UniqueVariant plain;
    if (FAILED(resolve(value, plain))) return false;
    const VARIANT& resolved = plain.get();
    return V_VT(&resolved) == VT_BSTR ? isNumericText(V_BSTR(&resolved)) : isNumericType(V_VT(&resolved));
}

HRESULT toText(const VARIANT& value, UniqueBstr& text)
{
    UniqueVariant converted;
    // Booleans keep their English words in every locale, as CStr's do.
    const HRESULT hr = coerce(value, VT_BSTR, VARIANT_ALPHABOOL, converted);
    if (FAILED(hr)) return hr;
    VARIANT released = converted.release();
    text.reset(V_BSTR(&released));
    return S_OK;
}

HRESULT toByte(const VARIANT& value, BYTE& number)
{
    UniqueVariant converted;
    const HRESULT hr = coerce(value, VT_UI1, 0, converted);
    if (SUCCEEDED(hr)) number = V_UI1(&converted.get());
    return hr;
}

HRESULT toLong(const VARIANT& value, LONG& number)
{
    UniqueVariant converted;
    const HRESULT hr = coerce(value, VT_I4, 0, converted);
    if (SUCCEEDED(hr)) number = V_I4(&converted.get());
    return hr;
}

}  // namespace corvastel
