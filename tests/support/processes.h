#pragma once
// Running the prefix's programs and our own, as a user would from a command line.

#include <windows.h>

#include <string>

namespace corvastel::testing {

// Runs a command line to its end; returns the program's exit code, or the error that
// kept it from starting.
DWORD runToEnd(std::wstring commandLine);

}  // namespace corvastel::testing
