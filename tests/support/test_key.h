#pragma once
// A key of its own below HKEY_CURRENT_USER for one test, removed with everything under
// it afterwards, and raw access through the ANSI functions to seed and check its values.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace corvastel::testing {

struct RawValue {
    DWORD type;
    std::string bytes;
    bool operator==(const RawValue& other) const { return type == other.type && bytes == other.bytes; }
};

class TestKey {
public:
    TestKey();
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // The key's path below HKEY_CURRENT_USER, or that of a key below it.
    const std::wstring& path() const { return path_; }
    std::wstring path(std::wstring_view subKey) const { return path_ + L"\\" + std::wstring(subKey); }

    // Stores exactly the bytes given, creating the subkey first.
    void write(const std::string& name, DWORD type, std::string_view bytes, const std::string& subKey = {}) const;
    std::optional<RawValue> read(const std::string& name, const std::string& subKey = {}) const;
    bool hasSubKey(const std::string& subKey) const;

private:
    std::string ansiPath(const std::string& subKey) const;

    std::wstring path_;
};

}  // namespace corvastel::testing
