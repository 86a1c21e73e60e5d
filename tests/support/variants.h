#pragma once
// Variants as hosts pass them, and a readable form of a variant for test messages.

#include "platform/owners.h"

#include <cstring>
#include <string>

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
UniqueVariant arrayVariant();
// An object whose default member returns value; with no value, an object without one.
UniqueVariant objectVariant(const VARIANT* defaultValue);
UniqueVariant copyOf(const VARIANT& value);
// VT_BYREF | VT_VARIANT pointing at target, as a script host passes a variable.
VARIANT byRef(UniqueVariant& target);

// "Empty", "I4 42", "\"text\"" for a string, "VT 5 2.5" for other types.
std::string describe(const VARIANT& value);

}  // namespace corvastel::testing
