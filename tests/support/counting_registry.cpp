#include "counting_registry.h"

namespace corvastel::testing {

LONG CountingRegistry::enter(const char* call)
{
    calls_ += (calls_.empty() ? "" : " ") + std::string(call);
    const std::size_t index = count_++;
    return beforeCall ? beforeCall(index, call) : ERROR_SUCCESS;
}

LONG CountingRegistry::opened(LONG status, HKEY* key)
{
    if (status == ERROR_SUCCESS && *key) live_.insert(*key);
    return status;
}

LONG CountingRegistry::open(HKEY parent, const char* path, HKEY* key)
{
    if (*key) ++misuses_;
    const LONG status = enter("open");
    return status ? status : opened(real_.open(parent, path, key), key);
}

LONG CountingRegistry::create(HKEY parent, const char* path, HKEY* key)
{
    if (*key) ++misuses_;
    const LONG status = enter("create");
    return status ? status : opened(real_.create(parent, path, key), key);
}

LONG CountingRegistry::query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size)
{
    const LONG status = enter("query");
    return status ? status : real_.query(key, name, type, data, size);
}

LONG CountingRegistry::set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size)
{
    const LONG status = enter("set");
    return status ? status : real_.set(key, name, type, data, size);
}

LONG CountingRegistry::deleteValue(HKEY key, const char* name)
{
    const LONG status = enter("deleteValue");
    return status ? status : real_.deleteValue(key, name);
}

LONG CountingRegistry::deleteKey(HKEY key, const char* subKey)
{
    const LONG status = enter("deleteKey");
    return status ? status : real_.deleteKey(key, subKey);
}

LONG CountingRegistry::close(HKEY key)
{
    const LONG status = enter("close");
    if (const auto found = live_.find(key); found != live_.end()) {
        live_.erase(found);
    } else if (key) {
        ++misuses_;
    }
    const LONG closed = real_.close(key);
    return status ? status : closed;
}

}  // namespace corvastel::testing
