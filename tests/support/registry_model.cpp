#include "registry_model.h"

#include "platform/ansi.h"

namespace corvastel::testing {

std::string describe(const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Text: {
        std::string narrow;
        for (wchar_t c : outcome.text.substr(0, 40)) narrow += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
        return "\"" + narrow + (outcome.text.size() > 40 ? "...\" (" + std::to_string(outcome.text.size()) + " chars)" : "\"");
    }
    case Outcome::Number: return "number " + std::to_string(outcome.number);
    case Outcome::Boolean: return outcome.number ? "true" : "false";
    case Outcome::Nothing: return "nothing";
    case Outcome::Error: return "error " + std::to_string(outcome.number);
    }
    return "?";
}

std::wstring RegistryModel::upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A name travels as ANSI and stops at its first NUL, like any C string.
std::wstring RegistryModel::stored(const std::wstring& name)
{
    const std::wstring converted = fromAnsi(toAnsi(name));
    return converted.substr(0, converted.find(L'\0'));
}

std::optional<std::wstring> RegistryModel::canonical(const std::wstring& path)
{
    const std::wstring stored = RegistryModel::stored(path);
    std::wstring result;
    size_t start = 0;
    while (start <= stored.size()) {
        size_t end = stored.find(L'\\', start);
        if (end == std::wstring::npos) end = stored.size();
        const std::wstring component = stored.substr(start, end - start);
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
    const auto found = values.find(upper(stored(name)));
    return found == values.end() ? std::nullopt : std::optional<RawValue>(found->second);
}

void RegistryModel::setValue(const std::wstring& path, const std::wstring& name, RawValue value)
{
    keys_[*canonical(path)][upper(stored(name))] = std::move(value);
}

void RegistryModel::deleteValue(const std::wstring& path, const std::wstring& name)
{
    if (const auto key = canonical(path); key && keys_.count(*key)) keys_[*key].erase(upper(stored(name)));
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
