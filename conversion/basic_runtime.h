#pragma once
// The rules of the classic Basic runtime that callers' code was written against: its
// conversions, in the user's locale, and the error numbers they fail with, as HRESULTs
// of the control facility that callers' error handlers test (Err.Number). Running out
// of memory throws std::bad_alloc.

#include "platform/owners.h"

#include <olectl.h>

#include <string_view>

namespace corvastel {

inline constexpr HRESULT kOverflow = CTL_E_OVERFLOW;                  // error 6
inline constexpr HRESULT kTypeMismatch = STD_CTL_SCODE(13);           // error 13
inline constexpr HRESULT kOutOfStringSpace = CTL_E_OUTOFSTRINGSPACE;  // error 14
inline constexpr HRESULT kInvalidUseOfNull = CTL_E_INVALIDUSEOFNULL;  // error 94

// The runtime's description of one of the errors above; nullptr for any other HRESULT.
const wchar_t* describeBasicError(HRESULT error) noexcept;

// Trim: spaces only, not other white space.
std::wstring_view trimSpaces(std::wstring_view text) noexcept;

// IsNumeric: numeric variants (Empty and booleans included) and text that reads as a
// number in the user's locale.
bool isNumeric(const VARIANT& value);
// CStr: booleans as the words True and False, Empty as "", numbers and dates in the
// user's locale, Basic's error values as "Error 2042" and the like.
HRESULT toText(const VARIANT& value, UniqueBstr& text);
// CByte and CLng: the automation coercions, rounding half to even.
HRESULT toByte(const VARIANT& value, BYTE& number);
HRESULT toLong(const VARIANT& value, LONG& number);

}  // namespace corvastel
