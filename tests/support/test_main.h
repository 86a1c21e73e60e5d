#pragma once
// Options of the test programs' own on their command line, --name=VALUE, read by the shared
// entry point after GoogleTest has taken its flags.

#include <cstdint>

namespace corvastel::testing {

// The text of --name=TEXT, or nullptr when it is not given.
const char* textOption(const char* name);
// The value of --name=N, or fallback when it is not given.
std::uint64_t numericOption(const char* name, std::uint64_t fallback);

}  // namespace corvastel::testing
