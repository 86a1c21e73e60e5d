#pragma once
// An independent model of what the six operations do to the registry, written from
// their documented behaviour: keys and values as the ANSI functions see them, names
// compared without regard to case.

#include "support/test_key.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvastel::testing {

// What a call returned: a string, a number, a boolean, nothing, or a Basic error.
struct Outcome {
    enum Kind { Text, Number, Boolean, Nothing, Error } kind = Nothing;
    std::wstring text;
    LONG number = 0;  // the number, the boolean (-1 or 0) or the error number

    static Outcome ofText(std::wstring value) { return {Text, std::move(value), 0}; }
    static Outcome ofNumber(LONG value) { return {Number, {}, value}; }
    static Outcome ofBoolean(bool value) { return {Boolean, {}, value ? -1 : 0}; }
    static Outcome ofError(LONG error) { return {Error, {}, error}; }
    bool operator==(const Outcome& other) const
    {
        return kind == other.kind && text == other.text && number == other.number;
    }
};
std::string describe(const Outcome& outcome);

// The key paths are relative to the model's own key below HKEY_CURRENT_USER.
class RegistryModel {
public:
    // A key path as the registry stores it after the ANSI conversion; nullopt when a
    // component is longer than the registry allows.
    static std::optional<std::wstring> canonical(const std::wstring& path);

    bool keyExists(const std::wstring& path) const;
    // Creates the key and every missing key above it; false when the path is invalid.
    bool createKey(const std::wstring& path);
    bool hasSubKeys(const std::wstring& path) const;
    void deleteKey(const std::wstring& path);
    std::optional<RawValue> value(const std::wstring& path, const std::wstring& name) const;
    void setValue(const std::wstring& path, const std::wstring& name, RawValue value);
    void deleteValue(const std::wstring& path, const std::wstring& name);

    // What regQuery_A_Key returns for a stored value, or for none.
    static Outcome queried(const std::optional<RawValue>& stored);

    // Every key and value the model holds, for comparing with the registry.
    const std::map<std::wstring, std::map<std::wstring, RawValue>>& keys() const { return keys_; }

private:
    static std::wstring upper(std::wstring text);
    static std::wstring stored(const std::wstring& name);
    std::map<std::wstring, std::map<std::wstring, RawValue>> keys_{{L"", {}}};
};

}  // namespace corvastel::testing
