#include "platform/ansi.h"

#include <climits>

namespace corvastel {
namespace {

constexpr HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW);

// The conversion functions count in ints, what they write included.
bool fitsOneCall(size_t length) noexcept { return length <= INT_MAX; }

HRESULT lastErrorOr(HRESULT fallback) noexcept
{
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? fallback : HRESULT_FROM_WIN32(error);
}

}  // namespace

HRESULT toAnsi(std::wstring_view text, std::string& ansi)
{
    ansi.clear();
    if (text.empty()) return S_OK;
    if (!fitsOneCall(text.size())) return kTooLong;
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes == 0) return lastErrorOr(kTooLong);
    ansi.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), bytes, nullptr, nullptr);
    return S_OK;
}

HRESULT fromAnsi(std::string_view text, std::wstring& wide)
{
    wide.clear();
    if (text.empty()) return S_OK;
    if (!fitsOneCall(text.size())) return kTooLong;
    const int length = static_cast<int>(text.size());
    const int characters = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (characters == 0) return lastErrorOr(kTooLong);
    wide.resize(static_cast<size_t>(characters));
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), characters);
    return S_OK;
}

}  // namespace corvastel
