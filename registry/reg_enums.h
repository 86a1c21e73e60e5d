#pragma once
// The two enumerations of the registry class. Their members carry the platform's own
// constant names, which windows.h defines as macros; the macros are set aside while
// the enumerations are declared and come back afterwards, so code that includes
// windows.h reaches the same values through them.

#include <windows.h>

#include <cstdint>

#pragma push_macro("HKEY_CLASSES_ROOT")
#pragma push_macro("HKEY_CURRENT_USER")
#pragma push_macro("HKEY_LOCAL_MACHINE")
#pragma push_macro("HKEY_USERS")
#pragma push_macro("HKEY_CURRENT_CONFIG")
#pragma push_macro("HKEY_PERFORMANCE_DATA")
#pragma push_macro("HKEY_DYN_DATA")
#pragma push_macro("REG_NONE")
#pragma push_macro("REG_SZ")
#pragma push_macro("REG_EXPAND_SZ")
#pragma push_macro("REG_BINARY")
#pragma push_macro("REG_DWORD")
#pragma push_macro("REG_DWORD_LITTLE_ENDIAN")
#pragma push_macro("REG_DWORD_BIG_ENDIAN")
#pragma push_macro("REG_LINK")
#pragma push_macro("REG_MULTI_SZ")
#pragma push_macro("REG_RESOURCE_LIST")
#pragma push_macro("REG_FULL_RESOURCE_DESCRIPTOR")
#pragma push_macro("REG_RESOURCE_REQUIREMENTS_LIST")
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE
#undef HKEY_USERS
#undef HKEY_CURRENT_CONFIG
#undef HKEY_PERFORMANCE_DATA
#undef HKEY_DYN_DATA
#undef REG_NONE
#undef REG_SZ
#undef REG_EXPAND_SZ
#undef REG_BINARY
#undef REG_DWORD
#undef REG_DWORD_LITTLE_ENDIAN
#undef REG_DWORD_BIG_ENDIAN
#undef REG_LINK
#undef REG_MULTI_SZ
#undef REG_RESOURCE_LIST
#undef REG_FULL_RESOURCE_DESCRIPTOR
#undef REG_RESOURCE_REQUIREMENTS_LIST

namespace corvastel {

// The predefined root keys, as the 32-bit values of their handles. Callers may pass
// any other value; it reaches the platform unchanged.
enum RegRootKey : std::int32_t {
    HKEY_CLASSES_ROOT = INT32_MIN,
    HKEY_CURRENT_USER = INT32_MIN + 1,
    HKEY_LOCAL_MACHINE = INT32_MIN + 2,
    HKEY_USERS = INT32_MIN + 3,
    HKEY_CURRENT_CONFIG = INT32_MIN + 5,
    HKEY_PERFORMANCE_DATA = INT32_MIN + 4,
    HKEY_DYN_DATA = INT32_MIN + 6,
};

enum RegDataType : std::int32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_LITTLE_ENDIAN = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_RESOURCE_LIST = 8,
    REG_FULL_RESOURCE_DESCRIPTOR = 9,
    REG_RESOURCE_REQUIREMENTS_LIST = 10,
};

}  // namespace corvastel

#pragma pop_macro("HKEY_CLASSES_ROOT")
#pragma pop_macro("HKEY_CURRENT_USER")
#pragma pop_macro("HKEY_LOCAL_MACHINE")
#pragma pop_macro("HKEY_USERS")
#pragma pop_macro("HKEY_CURRENT_CONFIG")
#pragma pop_macro("HKEY_PERFORMANCE_DATA")
#pragma pop_macro("HKEY_DYN_DATA")
#pragma pop_macro("REG_NONE")
#pragma pop_macro("REG_SZ")
#pragma pop_macro("REG_EXPAND_SZ")
#pragma pop_macro("REG_BINARY")
#pragma pop_macro("REG_DWORD")
#pragma pop_macro("REG_DWORD_LITTLE_ENDIAN")
#pragma pop_macro("REG_DWORD_BIG_ENDIAN")
#pragma pop_macro("REG_LINK")
#pragma pop_macro("REG_MULTI_SZ")
#pragma pop_macro("REG_RESOURCE_LIST")
#pragma pop_macro("REG_FULL_RESOURCE_DESCRIPTOR")
#pragma pop_macro("REG_RESOURCE_REQUIREMENTS_LIST")

namespace corvastel {

// The handle a root key value stands for: sign-extended, as the platform defines it.
inline HKEY rootKeyHandle(RegRootKey root) noexcept
{
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(root));
}

// The root key value of a predefined handle, for C++ callers, where windows.h's macros
// hide the enumeration's member names: rootKeyOf(HKEY_CURRENT_USER).
inline RegRootKey rootKeyOf(HKEY handle) noexcept
{
    return static_cast<RegRootKey>(reinterpret_cast<std::intptr_t>(handle));
}

}  // namespace corvastel
