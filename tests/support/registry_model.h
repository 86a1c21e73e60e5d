#pragma once
// An independent model of what the six operations do to the registry, written from
// their documented behaviour: keys and values as the ANSI functions see them, names
// compared without regard to case.

#include "support/host_data.h"
#include "support/test_key.h"

#include <map>
#include <optional>
#include <string>

namespace corvastel::testing {

// Key paths are relative to the model's own key; values are keyed by storedName.
using RegistryTree = std::map<std::wstring, std::map<std::wstring, RawValue>>;

class RegistryModel {
public:
    // A key path as the registry stores it after the ANSI conversion, in upper case;
    // nullopt when a component is longer than the registry allows.
    static std::optional<std::wstring> canonical(const std::wstring& path);
    // A value name as the registry stores it, in upper case.
    static std::wstring storedName(const std::wstring& name);

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

    const RegistryTree& tree() const { return keys_; }

private:
    RegistryTree keys_{{L"", {}}};
};

}  // namespace corvastel::testing
