#include "counting_registry.h"

namespace corvastel::testing {

void CountingRegistry::failCall(std::size_t index, LONG status)
{
    failIndex_ = index;
    failStatus_ = status;
}

void CountingRegistry::beforeCall(std::size_t index, std::function<void()> action)
{
    actionIndex_ = index;
    action_ = std::move(action);
}

std::string CountingRegistry::callSequence() const
{
    std::string names;
    for (const std::string& call : calls_) names += (names.empty() ? "" : " ") + call;
    return names;
}

bool CountingRegistry::shouldFail(const char* call)
{
    calls_.emplace_back(call);
    if (calls_.size() - 1 == actionIndex_) action_();
    return calls_.size() - 1 == failIndex_;
}

LONG CountingRegistry::opened(LONG status, const HKEY* key)
{
    if (status == ERROR_SUCCESS && *key) live_.insert(*key);
    return status;
}

LONG CountingRegistry::open(HKEY parent, const char* path, HKEY* key)
{
    if (*key) ++misuses_;
    if (shouldFail("open")) return failStatus_;
    return opened(real_.open(parent, path, key), key);
}

LONG CountingRegistry::create(HKEY parent, const char* path, HKEY* key)
{
    if (*key) ++misuses_;
    if (shouldFail("create")) return failStatus_;
    return opened(real_.create(parent, path, key), key);
}

LONG CountingRegistry::query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size)
{
    return shouldFail("query") ? failStatus_ : real_.query(key, name, type, data, size);
}

LONG CountingRegistry::set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size)
{
    return shouldFail("set") ? failStatus_ : real_.set(key, name, type, data, size);
}

LONG CountingRegistry::deleteValue(HKEY key, const char* name)
{
    return shouldFail("deleteValue") ? failStatus_ : real_.deleteValue(key, name);
}

LONG CountingRegistry::deleteKey(HKEY key, const char* subKey)
{
    return shouldFail("deleteKey") ? failStatus_ : real_.deleteKey(key, subKey);
}

LONG CountingRegistry::close(HKEY key)
{
    const bool fail = shouldFail("close");
    if (key) {
        const auto found = live_.find(key);
        if (found == live_.end()) ++misuses_;
        else live_.erase(found);
    }
    const LONG status = real_.close(key);
    return fail ? failStatus_ : status;
}

}  // namespace corvastel::testing
