#pragma once
// Data as hosts pass it, with what the Basic runtime makes of it (IsNumeric, CStr, CLng,
// CByte), known from how it was made: one table for the conversions' own test and for
// the values the random operations write.

#include "support/variants.h"

#include <string>
#include <vector>

namespace corvastel::testing {

// What a call returned: a string, a number, a boolean, nothing, or a Basic error.
struct Outcome {
    enum Kind { Text, Number, Boolean, Nothing, Error } kind = Nothing;
    std::wstring text;
    LONG number = 0;  // the number, the boolean (-1 or 0) or the error number

    static Outcome ofText(std::wstring value) { return {Text, std::move(value), 0}; }
    static Outcome ofNumber(LONG value) { return {Number, {}, value}; }
    static Outcome ofBoolean(bool value) { return {Boolean, {}, value ? -1 : 0}; }
    static Outcome ofError(LONG error) { return {Error, {}, error}; }
    bool operator==(const Outcome& other) const { return kind == other.kind && text == other.text && number == other.number; }
};
std::string describe(const Outcome& outcome);

struct Datum {
    UniqueVariant value;
    bool numeric;
    Outcome text, asLong, asByte;
    // The conversions in the German locale, as conversionsOf writes them, where they differ.
    const char* german = nullptr;
};
// "numeric, \"2.5\", number 2, number 2".
std::string conversionsOf(const Datum& datum);

// In the US English locale.
std::vector<Datum> hostData();

}  // namespace corvastel::testing
