#pragma once
// Running the prefix's programs and our own, as a user would from a command line, and
// telling Wine from Windows where the two differ.

#include <windows.h>

#include <string>

namespace corvastel::testing {

// Runs a command line to its end; returns the program's exit code, or the error that
// kept it from starting.
DWORD runToEnd(std::wstring commandLine);

// Whether this process runs under Wine rather than Windows.
bool runningUnderWine();

}  // namespace corvastel::testing
