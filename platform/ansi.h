#pragma once
// Text between UTF-16 and the system ANSI code page, as the ANSI registry functions take
// it. Characters the code page lacks become its closest match. Throws std::bad_alloc.

#include <windows.h>

#include <string>
#include <string_view>

namespace corvastel {

std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view text);

}  // namespace corvastel
