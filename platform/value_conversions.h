#pragma once
// The value conversions the registry class relies on, following the rules of the
// classic Basic runtime that its callers' code was written against. Conversion
// failures return the Basic errors of basic_errors.h; running out of memory throws
// std::bad_alloc.

#include "owners.h"

#include <string>
#include <string_view>

namespace corvastel {

class ValueConversions {
public:
    virtual ~ValueConversions() = default;

    // Basic's IsNumeric: numeric variants (Empty and booleans included) and text that
    // reads as a number in the user's locale.
    virtual bool isNumeric(const VARIANT& value) = 0;
    // Basic's CStr: booleans as words, Empty as "", numbers and dates in the user's locale.
    virtual HRESULT toText(const VARIANT& value, UniqueBstr& text) = 0;
    // The automation coercions, rounding half to even.
    virtual HRESULT toByte(const VARIANT& value, BYTE& number) = 0;
    virtual HRESULT toLong(const VARIANT& value, LONG& number) = 0;
    // Between UTF-16 and the system ANSI code page.
    virtual std::string toAnsi(std::wstring_view text) = 0;
    virtual std::wstring fromAnsi(std::string_view text) = 0;
};

// The production conversions: oleaut32 and kernel32. Stateless and shared.
ValueConversions& automationConversions();

}  // namespace corvastel
