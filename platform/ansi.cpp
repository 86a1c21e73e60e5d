#include "platform/ansi.h"

#include <climits>
#include <new>

namespace corvastel {
namespace {

int checkedLength(size_t length)
{
    if (length > INT_MAX) throw std::bad_alloc();
    return static_cast<int>(length);
}

}  // namespace

std::string toAnsi(std::wstring_view text)
{
    if (text.empty()) return {};
    const int length = checkedLength(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

std::wstring fromAnsi(std::string_view text)
{
    if (text.empty()) return {};
    const int length = checkedLength(text.size());
    const int characters = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(characters), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), characters);
    return wide;
}

}  // namespace corvastel
