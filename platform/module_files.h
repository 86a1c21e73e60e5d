#pragma once
// Where a loaded module's file is, and the files beside a program.

#include <windows.h>

#include <string>

namespace corvastel {

// The full path of a loaded module's file (nullptr: this program's), however long;
// throws std::bad_alloc when the platform cannot tell it.
std::wstring modulePath(HMODULE module);

// A file in the folder of this program.
std::wstring besideThisProgram(const wchar_t* file);

}  // namespace corvastel
