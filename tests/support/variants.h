#pragma once
// Variants as hosts pass them, and a readable form of a variant for test messages.

#include "platform/owners.h"

#include <string>
#include <string_view>

namespace corvastel::testing {

UniqueVariant doubleVariant(double number);
UniqueVariant shortVariant(SHORT number);
UniqueVariant boolVariant(bool value);
UniqueVariant dateVariant(DATE date);
UniqueVariant currencyVariant(LONGLONG tenThousandths);
UniqueVariant nullVariant();
UniqueVariant errorVariant(SCODE error);
UniqueVariant arrayVariant();
// VT_BYREF | VT_VARIANT pointing at target, as a script host passes a variable.
VARIANT byRef(UniqueVariant& target);
// An object whose default member returns value; with no value, an object without one.
UniqueVariant objectVariant(const VARIANT* defaultValue);

// "Empty", "\"text\"" for a string, "I4 42" and the like for other types.
std::string describe(const VARIANT& value);

}  // namespace corvastel::testing
