#pragma once
// Conversion failures carry the error numbers of the Basic runtime that callers'
// error handlers test (Err.Number), as HRESULTs of the control facility.

#include <windows.h>
#include <olectl.h>

#include <string_view>

namespace corvastel {

inline constexpr HRESULT kOverflow = CTL_E_OVERFLOW;                // error 6
inline constexpr HRESULT kTypeMismatch = STD_CTL_SCODE(13);         // error 13
inline constexpr HRESULT kInvalidUseOfNull = CTL_E_INVALIDUSEOFNULL;  // error 94

// The runtime's description of one of the errors above, NUL-terminated; empty for any
// other HRESULT.
std::wstring_view describeBasicError(HRESULT error) noexcept;

}  // namespace corvastel
