#pragma once
// The registry as one clsRegistry instance uses it: the status of every call becomes
// the instance's last status, and a key handle lives exactly as long as the
// operation's scope.

#include "platform/registry_api.h"

#include <string>

namespace corvastel {

class TrackedRegistry;

// An operation's key handle variable. It starts at 0 before the open or create, and
// whatever it holds when the scope ends, an open handle or still 0, is passed to close.
class [[nodiscard]] ScopedKey {
public:
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey();

    HKEY get() const noexcept { return handle_; }
    bool isOpen() const noexcept { return handle_ != nullptr; }

private:
    friend class TrackedRegistry;
    using OpenCall = LONG (RegistryApi::*)(HKEY, const char*, HKEY*);
    ScopedKey(TrackedRegistry& registry, OpenCall call, HKEY parent, const std::string& path);

    TrackedRegistry& registry_;
    HKEY handle_ = nullptr;
};

class TrackedRegistry {
public:
    explicit TrackedRegistry(RegistryApi& api) noexcept : api_(api) {}

    ScopedKey open(HKEY parent, const std::string& path)
    {
        return ScopedKey(*this, &RegistryApi::open, parent, path);
    }
    ScopedKey create(HKEY parent, const std::string& path)
    {
        return ScopedKey(*this, &RegistryApi::create, parent, path);
    }
    void query(const ScopedKey& key, const std::string& name, DWORD* type, BYTE* data, DWORD* size)
    {
        lastStatus_ = api_.query(key.get(), name.c_str(), type, data, size);
    }
    void set(const ScopedKey& key, const std::string& name, DWORD type, const std::string& bytes)
    {
        set(key, name, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    }
    void set(const ScopedKey& key, const std::string& name, DWORD type, const BYTE* data, DWORD size)
    {
        lastStatus_ = api_.set(key.get(), name.c_str(), type, data, size);
    }
    void deleteValue(const ScopedKey& key, const std::string& name)
    {
        lastStatus_ = api_.deleteValue(key.get(), name.c_str());
    }
    void deleteKey(const ScopedKey& key, const std::string& subKey)
    {
        lastStatus_ = api_.deleteKey(key.get(), subKey.c_str());
    }

    bool lastCallSucceeded() const noexcept { return lastStatus_ == ERROR_SUCCESS; }

private:
    friend class ScopedKey;
    void close(HKEY key) noexcept { lastStatus_ = api_.close(key); }

    RegistryApi& api_;
    LONG lastStatus_ = ERROR_SUCCESS;
};

inline ScopedKey::ScopedKey(TrackedRegistry& registry, OpenCall call, HKEY parent, const std::string& path)
    : registry_(registry)
{
    registry_.lastStatus_ = (registry_.api_.*call)(parent, path.c_str(), &handle_);
}

inline ScopedKey::~ScopedKey() { registry_.close(handle_); }

}  // namespace corvastel
