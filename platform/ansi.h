#pragma once
// Text between UTF-16 and the system ANSI code page, as the ANSI registry functions take
// it. Characters the code page lacks become its closest match. Text the platform cannot
// convert in one call, longer than an int counts, fails with ERROR_ARITHMETIC_OVERFLOW.

#include <windows.h>

#include <string>
#include <string_view>

namespace corvastel {

[[nodiscard]] HRESULT toAnsi(std::wstring_view text, std::string& ansi);
[[nodiscard]] HRESULT fromAnsi(std::string_view text, std::wstring& wide);

}  // namespace corvastel
