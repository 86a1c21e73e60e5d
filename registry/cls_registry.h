#pragma once
// clsRegistry: creates, tests, reads and deletes registry keys and values. Each
// operation opens or creates its key, does one thing and closes the key again; the
// only state an instance keeps is the status of its last registry call.
//
// Registry failures never surface: they show as the empty string, false or nothing.
// Only conversions fail, with the Basic errors of basic_errors.h; running out of
// memory throws std::bad_alloc. Key handles are closed on every path either way.

#include "platform/owners.h"
#include "platform/value_conversions.h"
#include "registry/reg_enums.h"
#include "registry/tracked_registry.h"

#include <string>
#include <string_view>

namespace corvastel {

class clsRegistry {
public:
    explicit clsRegistry(RegistryApi& registry = win32Registry(),
                         ValueConversions& conversions = automationConversions()) noexcept;

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
    // to the type; the key path has been created by then.
    [[nodiscard]] HRESULT regCreate_Key_Value(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                              std::wstring_view strRegSubKey, const VARIANT& varRegData,
                                              RegDataType& lngDataType);

    void regCreate_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath);

    // True only when the key path exists and the platform deleted its subkey.
    bool regDelete_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath, std::wstring_view strRegKeyName);

private:
    ScopedKey open(RegRootKey root, std::wstring_view path);
    ScopedKey create(RegRootKey root, std::wstring_view path);
    HRESULT readString(const ScopedKey& key, const std::string& name, DWORD size, UniqueVariant& result);
    void readNumber(const ScopedKey& key, const std::string& name, DWORD size, UniqueVariant& result);
    HRESULT writeByte(const ScopedKey& key, const std::string& name, const VARIANT& data);
    HRESULT writeLong(const ScopedKey& key, const std::string& name, const VARIANT& data);
    HRESULT writeText(const ScopedKey& key, const std::string& name, const VARIANT& data, RegDataType type);

    TrackedRegistry registry_;
    ValueConversions& conversions_;
};

}  // namespace corvastel
