#include "test_key.h"

#include "platform/owners.h"

#include <gtest/gtest.h>

#include <atomic>

namespace corvastel::testing {
namespace {

const std::wstring kTestRoot = L"Software\\Corvastel Tests";

std::wstring uniqueName()
{
    static std::atomic<unsigned> counter{0};
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"-" +
           std::to_wstring(counter++);
}

}  // namespace

bool keyExists(HKEY root, const std::wstring& path)
{
    UniqueHkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring stringValue(HKEY root, const std::wstring& path, const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return value;
}

TestKey::TestKey() : path_(kTestRoot + L"\\" + uniqueName())
{
    UniqueHkey key;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path_.c_str(), key.put()), ERROR_SUCCESS);
}

TestKey::~TestKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot.c_str());  // only succeeds once no test key is left
}

std::string TestKey::ansiPath(const std::string& subKey) const
{
    std::string path(path_.begin(), path_.end());  // the generated path is plain ASCII
    return subKey.empty() ? path : path + "\\" + subKey;
}

void TestKey::write(const std::string& name, DWORD type, std::string_view bytes, const std::string& subKey) const
{
    // The ANSI call counts a string's terminator that the caller left out when the byte
    // after the data is NUL; a guard byte there makes it store exactly the bytes given.
    const std::string guarded = std::string(bytes) + '#';
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, ansiPath(subKey).c_str(), key.put()), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

std::optional<RawValue> TestKey::read(const std::string& name, const std::string& subKey) const
{
    UniqueHkey key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, ansiPath(subKey).c_str(), key.put()) != ERROR_SUCCESS) return std::nullopt;
    RawValue value{REG_NONE, {}};
    DWORD size = 0;
    LONG status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

bool TestKey::hasSubKey(const std::string& subKey) const
{
    UniqueHkey key;
    return RegOpenKeyA(HKEY_CURRENT_USER, ansiPath(subKey).c_str(), key.put()) == ERROR_SUCCESS;
}

}  // namespace corvastel::testing
