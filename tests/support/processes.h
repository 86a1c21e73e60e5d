#pragma once
// Running the prefix's programs and our own, as a user would from a command line.

#include <windows.h>

#include <string>

namespace corvastel::testing {

// A file in the folder of this test program.
std::wstring besideThisProgram(const wchar_t* file);

// Runs a command line to its end; returns the program's exit code, or the error that
// kept it from starting.
DWORD runToEnd(std::wstring commandLine);

}  // namespace corvastel::testing
