#include "interface/registration_layout.h"

#include <utility>

namespace corvastel {

std::wstring typeLibraryKey(const Bitness& bitness) { return kTypeLibraryKey + std::wstring(bitness.platform); }

bool isWindows64()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::wstring fillIn(std::wstring_view pattern, std::wstring_view server)
{
    const std::wstring_view folder = server.substr(0, server.find_last_of(L'\\'));
    std::wstring text(pattern);
    for (const auto& [placeholder, value] : {std::pair{std::wstring_view(L"<server>"), server},
                                              std::pair{std::wstring_view(L"<folder>"), folder},
                                              std::pair{std::wstring_view(L"<platform>"), std::wstring_view(kThisBuild.platform)}}) {
        for (size_t at = text.find(placeholder); at != std::wstring::npos; at = text.find(placeholder, at + value.size())) {
            text.replace(at, placeholder.size(), value);
        }
    }
    return text;
}

}  // namespace corvastel
