#pragma once
// Where a loaded module's file is, and the files beside a program.

#include <windows.h>

#include <string>

namespace corvastel {

// The full path of a loaded module's file (nullptr: this program's), however long. Fails
// with the platform's error where it cannot tell, as for a module that is not loaded.
[[nodiscard]] HRESULT modulePath(HMODULE module, std::wstring& path);

// A file in the folder of this program.
[[nodiscard]] HRESULT besideThisProgram(const wchar_t* file, std::wstring& path);

}  // namespace corvastel
