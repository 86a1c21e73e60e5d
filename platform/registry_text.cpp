#include "platform/registry_text.h"

#include "platform/owners.h"

#include <algorithm>
#include <cwchar>

namespace corvastel {

std::wstring defaultText(HKEY root, const std::wstring& path, REGSAM view)
{
    UniqueHkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS) return {};
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS status =
            RegGetValueW(key.get(), nullptr, nullptr, RRF_RT_REG_SZ, nullptr, text.data(), &size);
        if (status == ERROR_MORE_DATA) {
            text.resize(std::max<size_t>(size / sizeof(wchar_t) + 1, text.size() * 2));
        } else if (status != ERROR_SUCCESS) {
            return {};
        } else {
            text.resize(wcsnlen(text.c_str(), text.size()));
            return text;
        }
    }
}

}  // namespace corvastel
