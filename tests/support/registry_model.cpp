#include "registry_model.h"

#include "platform/ansi.h"

#include <algorithm>

namespace corvastel::testing {
namespace {

std::wstring upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A name travels as ANSI and stops at its first NUL, like any C string.
std::wstring stored(const std::wstring& name)
{
    const std::wstring converted = fromAnsi(toAnsi(name));
    return converted.substr(0, converted.find(L'\0'));
}

}  // namespace

std::wstring RegistryModel::storedName(const std::wstring& name) { return upper(stored(name)); }

std::optional<std::wstring> RegistryModel::canonical(const std::wstring& path)
{
    const std::wstring whole = stored(path);
    std::wstring result;
    for (size_t start = 0; start <= whole.size();) {
        const size_t end = std::min(whole.find(L'\\', start), whole.size());
        const std::wstring component = whole.substr(start, end - start);
        if (component.size() > 255) return std::nullopt;
        if (!component.empty()) result += (result.empty() ? L"" : L"\\") + upper(component);
        start = end + 1;
    }
    return result;
}

bool RegistryModel::keyExists(const std::wstring& path) const
{
    const auto key = canonical(path);
    return key && keys_.count(*key);
}

bool RegistryModel::createKey(const std::wstring& path)
{
    const auto key = canonical(path);
    if (!key) return false;
    for (size_t end = 0; end != std::wstring::npos;) {
        end = key->find(L'\\', end + 1);
        keys_[key->substr(0, end)];
    }
    return true;
}

bool RegistryModel::hasSubKeys(const std::wstring& path) const
{
    const std::wstring prefix = *canonical(path) + L"\\";
    const auto next = keys_.upper_bound(prefix.substr(0, prefix.size() - 1));
    return next != keys_.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

void RegistryModel::deleteKey(const std::wstring& path) { keys_.erase(*canonical(path)); }

std::optional<RawValue> RegistryModel::value(const std::wstring& path, const std::wstring& name) const
{
    const auto key = canonical(path);
    if (!key || !keys_.count(*key)) return std::nullopt;
    const auto& values = keys_.at(*key);
    const auto found = values.find(storedName(name));
    return found == values.end() ? std::nullopt : std::optional<RawValue>(found->second);
}

void RegistryModel::setValue(const std::wstring& path, const std::wstring& name, RawValue value)
{
    keys_[*canonical(path)][storedName(name)] = std::move(value);
}

void RegistryModel::deleteValue(const std::wstring& path, const std::wstring& name)
{
    if (const auto key = canonical(path); key && keys_.count(*key)) keys_[*key].erase(storedName(name));
}

Outcome RegistryModel::queried(const std::optional<RawValue>& stored)
{
    if (!stored) return Outcome::ofText(L"");
    switch (stored->type) {
    case REG_SZ: {
        // Cut at the first NUL, whose 1-based position must fit a 16-bit Integer.
        const std::wstring text = fromAnsi(stored->bytes);
        const size_t nul = text.find(L'\0');
        if (nul == std::wstring::npos) return Outcome::ofText(text);
        if (nul + 1 > 32767) return Outcome::ofError(6);
        return Outcome::ofText(text.substr(0, nul));
    }
    case REG_DWORD:
    case REG_BINARY: {
        if (stored->bytes.size() > 4) return Outcome::ofText(L"");
        ULONG number = 0;
        for (size_t i = 0; i < stored->bytes.size(); ++i) {
            number |= static_cast<ULONG>(static_cast<unsigned char>(stored->bytes[i])) << (8 * i);
        }
        return Outcome::ofNumber(static_cast<LONG>(number));
    }
    default:
        return Outcome::ofText(L"");
    }
}

}  // namespace corvastel::testing
