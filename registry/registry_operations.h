#pragma once
// The six operations of clsRegistry, which create, test, read and delete registry keys
// and values. Each opens or creates its key, does one thing and closes the key again;
// an instance keeps nothing between calls.
//
// Registry failures never surface: they show as the empty string, false or nothing.
// Only conversions fail, with the Basic errors of basic_runtime.h; running out of
// memory throws std::bad_alloc. Key handles are closed on every path either way.

#include "interface/corvastel_h.h"  // RegRootKey and RegDataType, as the type library publishes them
#include "platform/owners.h"
#include "platform/registry_api.h"

#include <string>
#include <string_view>

namespace corvastel {

class RegistryOperations {
public:
    explicit RegistryOperations(RegistryApi& registry = win32Registry()) noexcept : registry_(registry) {}

    // Despite its name, deletes the value strRegSubKey.
    void regDelete_Sub_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath, std::wstring_view strRegSubKey);

    bool regDoes_Key_Exist(RegRootKey lngRootKey, std::wstring_view strRegKeyPath);

    // result becomes the value as a string (REG_SZ) or a 32-bit integer (REG_DWORD,
    // REG_BINARY of up to four bytes), and "" for anything else or on any failure.
    // Fails with the overflow error when a string's first NUL lies beyond position 32767.
    [[nodiscard]] HRESULT regQuery_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                         std::wstring_view strRegSubKey, UniqueVariant& result);

    // A lngDataType of REG_NONE becomes REG_DWORD for numeric data and REG_SZ otherwise,
    // and the caller's variable keeps the choice. Fails when the data does not convert
    // to the type, or its text not to the code page (out of string space); the key path
    // has been created by then.
    [[nodiscard]] HRESULT regCreate_Key_Value(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                              std::wstring_view strRegSubKey, const VARIANT& varRegData,
                                              RegDataType& lngDataType);

    void regCreate_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath);

    // True only when the key path exists and the platform deleted its subkey.
    bool regDelete_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath, std::wstring_view strRegKeyName);

private:
    RegistryKey open(RegRootKey root, std::wstring_view path);
    RegistryKey create(RegRootKey root, std::wstring_view path);
    HRESULT readString(const RegistryKey& key, const std::string& name, DWORD size, UniqueVariant& result);
    void readNumber(const RegistryKey& key, const std::string& name, DWORD size, UniqueVariant& result);

    RegistryApi& registry_;
};

}  // namespace corvastel
