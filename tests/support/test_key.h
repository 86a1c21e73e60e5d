#pragma once
// A key of its own below HKEY_CURRENT_USER, one per process at a time, removed with
// everything under it afterwards, and raw access through the ANSI functions to seed and
// check its values.

#include "platform/owners.h"

#include <gtest/gtest.h>

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
    TestKey() : path_(root() + L"\\" + std::to_wstring(GetCurrentProcessId()))
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());  // an earlier run's, cut short
        UniqueHkey key;
        EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path_.c_str(), key.put()), ERROR_SUCCESS);
    }
    ~TestKey()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, root().c_str());  // only succeeds once no test key is left
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // The key's path below HKEY_CURRENT_USER, or that of a key below it.
    const std::wstring& path() const { return path_; }
    std::wstring path(std::wstring_view subKey) const { return path_ + L"\\" + std::wstring(subKey); }

    // Stores exactly the bytes given, creating the subkey first.
    void write(const std::string& name, DWORD type, std::string_view bytes, const std::string& subKey = {}) const
    {
        // The ANSI call counts a string's terminator that the caller left out when the
        // byte after the data is NUL; a guard byte there makes it store exactly the bytes.
        const std::string guarded = std::string(bytes) + '#';
        EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ansiPath(subKey).c_str(), name.c_str(), type, guarded.data(),
                                  static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    std::optional<RawValue> read(const std::string& name, const std::string& subKey = {}) const
    {
        UniqueHkey key;
        RawValue value{REG_NONE, {}};
        DWORD size = 0;
        if (RegOpenKeyA(HKEY_CURRENT_USER, ansiPath(subKey).c_str(), key.put()) != ERROR_SUCCESS ||
            RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(size);
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()),
                             &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(size);
        return value;
    }

private:
    static std::wstring root() { return L"Software\\Corvastel Tests"; }
    std::string ansiPath(const std::string& subKey) const
    {
        std::string path(path_.begin(), path_.end());  // the generated path is plain ASCII
        return subKey.empty() ? path : path + "\\" + subKey;
    }

    std::wstring path_;
};

}  // namespace corvastel::testing
