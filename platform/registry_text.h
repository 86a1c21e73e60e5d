#pragma once
// Text values as registration keeps them, read in their Unicode form.

#include <windows.h>

#include <string>

namespace corvastel {

// The default value of a key, in the registry view given, as text with environment
// strings expanded (the type REG_SZ takes in REG_EXPAND_SZ); empty when the key or the
// value is missing or no string.
std::wstring defaultText(HKEY root, const std::wstring& path, REGSAM view = 0);

}  // namespace corvastel
