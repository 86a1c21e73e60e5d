#include "registry/registry_operations.h"

#include "conversion/basic_runtime.h"
#include "platform/ansi.h"

#include <algorithm>
#include <cstdint>

namespace corvastel {
namespace {

// The 1-based position of the first NUL, kept as a Basic Integer: 0 when there is
// none, and the overflow error when it lies beyond what 16 bits hold.
HRESULT firstNulPosition(std::wstring_view text, std::int16_t& position) noexcept
{
    const size_t index = text.find(L'\0');
    if (index == std::wstring_view::npos) {
        position = 0;
        return S_OK;
    }
    if (index >= INT16_MAX) return kOverflow;
    position = static_cast<std::int16_t>(index + 1);
    return S_OK;
}

// The handle a root key value stands for: sign-extended, as the platform defines it.
HKEY rootKeyHandle(RegRootKey root) noexcept
{
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(root));
}

HRESULT encodeByte(const VARIANT& data, std::string& bytes)
{
    BYTE byte = 0;
    if (const HRESULT hr = toByte(data, byte); FAILED(hr)) return hr;
    bytes.assign(1, static_cast<char>(byte));
    return S_OK;
}

HRESULT encodeLong(const VARIANT& data, std::string& bytes)
{
    LONG number = 0;
    if (const HRESULT hr = toLong(data, number); FAILED(hr)) return hr;
    bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
    return S_OK;
}

HRESULT encodeText(const VARIANT& data, std::string& bytes)
{
    UniqueBstr text;
    if (const HRESULT hr = toText(data, text); FAILED(hr)) return hr;
    if (FAILED(toAnsi(trimSpaces(view(text.get())), bytes))) return kOutOfStringSpace;
    bytes.push_back('\0');
    return S_OK;
}

// The bytes stored for the data under the type: one byte for REG_BINARY, four
// little-endian ones for REG_DWORD, and for any other type one terminated ANSI text.
HRESULT encode(const VARIANT& data, RegDataType type, std::string& bytes)
{
    switch (type) {
    case REG_BINARY: return encodeByte(data, bytes);
    case REG_DWORD: return encodeLong(data, bytes);
    default: return encodeText(data, bytes);
    }
}

}  // namespace

// A path or name the code page conversion cannot take names nothing in the registry, so
// what is done with it fails there, as silently as what the registry itself refuses.
RegistryKey RegistryOperations::open(RegRootKey root, std::wstring_view path)
{
    RegistryKey key(registry_);
    std::string ansiPath;
    if (SUCCEEDED(toAnsi(path, ansiPath))) registry_.open(rootKeyHandle(root), ansiPath.c_str(), key.put());
    return key;
}

RegistryKey RegistryOperations::create(RegRootKey root, std::wstring_view path)
{
    RegistryKey key(registry_);
    std::string ansiPath;
    if (SUCCEEDED(toAnsi(path, ansiPath))) registry_.create(rootKeyHandle(root), ansiPath.c_str(), key.put());
    return key;
}

bool RegistryOperations::regDoes_Key_Exist(RegRootKey lngRootKey, std::wstring_view strRegKeyPath)
{
    // Existence is judged by the handle alone, not by the status.
    return open(lngRootKey, strRegKeyPath).isOpen();
}

// Both deletions open their key twice, as they always have: the existence test opens and
// closes it, and the deletion opens it again. Registry monitors and audits show callers
// both opens, and a key that goes, or is denied, between them is left alone.
void RegistryOperations::regDelete_Sub_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                    std::wstring_view strRegSubKey)
{
    if (!regDoes_Key_Exist(lngRootKey, strRegKeyPath)) return;
    const RegistryKey key = open(lngRootKey, strRegKeyPath);
    std::string name;
    if (SUCCEEDED(toAnsi(strRegSubKey, name))) registry_.deleteValue(key.get(), name.c_str());
}

bool RegistryOperations::regDelete_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                  std::wstring_view strRegKeyName)
{
    if (!regDoes_Key_Exist(lngRootKey, strRegKeyPath)) return false;
    const RegistryKey key = open(lngRootKey, strRegKeyPath);
    std::string name;
    return SUCCEEDED(toAnsi(strRegKeyName, name)) && registry_.deleteKey(key.get(), name.c_str()) == ERROR_SUCCESS;
}

void RegistryOperations::regCreate_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath)
{
    // Creating the key is the whole operation; leaving the scope closes it again.
    const RegistryKey key = create(lngRootKey, strRegKeyPath);
}

HRESULT RegistryOperations::regQuery_A_Key(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                    std::wstring_view strRegSubKey, UniqueVariant& result)
{
    result = textVariant({});
    std::string name;
    if (FAILED(toAnsi(strRegSubKey, name))) return S_OK;
    const RegistryKey key = open(lngRootKey, strRegKeyPath);
    if (!key.isOpen()) return S_OK;

    // Unchecked on purpose: a missing value leaves the type at REG_NONE.
    DWORD type = REG_NONE;
    DWORD size = 0;
    registry_.query(key.get(), name.c_str(), &type, nullptr, &size);
    switch (type) {
    case REG_SZ: return readString(key, name, size, result);
    case REG_DWORD: readNumber(key, name, sizeof(LONG), result); return S_OK;
    case REG_BINARY: readNumber(key, name, size, result); return S_OK;
    default: return S_OK;
    }
}

HRESULT RegistryOperations::readString(const RegistryKey& key, const std::string& name, DWORD size, UniqueVariant& result)
{
    std::string buffer(size, ' ');
    DWORD scratchType = REG_NONE;
    if (registry_.query(key.get(), name.c_str(), &scratchType, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return S_OK;
    }

    // The whole buffer comes back, also where the value shrank since its size was read.
    std::wstring text;
    if (FAILED(fromAnsi(buffer, text))) return S_OK;
    std::int16_t nul = 0;
    if (const HRESULT hr = firstNulPosition(text, nul); FAILED(hr)) return hr;
    result = textVariant(nul >= 1 ? std::wstring_view(text).substr(0, nul - 1) : std::wstring_view(text));
    return S_OK;
}

// Reads into one four-byte little-endian slot; a value larger than the slot is a
// failed read, never an overrun, and bytes the value does not reach stay 0.
void RegistryOperations::readNumber(const RegistryKey& key, const std::string& name, DWORD size, UniqueVariant& result)
{
    LONG slot = 0;
    DWORD type = REG_NONE;
    DWORD slotSize = std::min<DWORD>(size, sizeof slot);
    if (registry_.query(key.get(), name.c_str(), &type, reinterpret_cast<BYTE*>(&slot), &slotSize) == ERROR_SUCCESS) {
        result = longVariant(slot);
    }
}

HRESULT RegistryOperations::regCreate_Key_Value(RegRootKey lngRootKey, std::wstring_view strRegKeyPath,
                                         std::wstring_view strRegSubKey, const VARIANT& varRegData,
                                         RegDataType& lngDataType)
{
    if (lngDataType == REG_NONE) {
        lngDataType = static_cast<RegDataType>(isNumeric(varRegData) ? REG_DWORD : REG_SZ);
    }
    std::string name;
    const bool nameConverts = SUCCEEDED(toAnsi(strRegSubKey, name));
    const RegistryKey key = create(lngRootKey, strRegKeyPath);
    std::string bytes;
    if (const HRESULT hr = encode(varRegData, lngDataType, bytes); FAILED(hr)) return hr;
    if (nameConverts) {
        registry_.set(key.get(), name.c_str(), static_cast<DWORD>(lngDataType),
                      reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    }
    return S_OK;
}

}  // namespace corvastel
