#pragma once
// A registry that passes every call on to the real one while it records the calls,
// counts the handles they open and close, and lets a test step in before any call.

#include "platform/registry_api.h"

#include <functional>
#include <set>
#include <string>

namespace corvastel::testing {

class CountingRegistry final : public RegistryApi {
public:
    // Runs before each call reaches the registry, with the call's index and name, as
    // another thread could; a status other than ERROR_SUCCESS fails the call with it.
    // A failed call does nothing else, except close, which still releases the handle.
    std::function<LONG(std::size_t index, const std::string& call)> beforeCall;

    // The calls made so far, by name, in order: "open close open deleteValue close".
    const std::string& calls() const { return calls_; }
    // Handles opened and not yet closed.
    std::size_t openHandles() const { return live_.size(); }
    // Broken contract: open or create into a variable that was not 0, or a close of a
    // non-zero handle that is not open.
    std::size_t misuses() const { return misuses_; }

    LONG open(HKEY parent, const char* path, HKEY* key) override;
    LONG create(HKEY parent, const char* path, HKEY* key) override;
    LONG query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override;
    LONG set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override;
    LONG deleteValue(HKEY key, const char* name) override;
    LONG deleteKey(HKEY key, const char* subKey) override;
    LONG close(HKEY key) override;

private:
    LONG enter(const char* call);
    LONG opened(LONG status, HKEY* key);

    RegistryApi& real_ = win32Registry();
    std::string calls_;
    std::size_t count_ = 0;
    std::multiset<HKEY> live_;
    std::size_t misuses_ = 0;
};

}  // namespace corvastel::testing
