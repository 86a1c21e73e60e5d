#pragma once
// A registry that passes every call on to the real one while it records the calls,
// counts the handles they open and close, and makes one chosen call fail.

#include "platform/registry_api.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace corvastel::testing {

class CountingRegistry final : public RegistryApi {
public:
    // The index, in call order, of the call to fail, and the status it returns. A
    // failed call does nothing else, except close, which still releases the handle.
    void failCall(std::size_t index, LONG status = ERROR_ACCESS_DENIED);
    // Runs action just before the call at index reaches the registry, as another thread could.
    void beforeCall(std::size_t index, std::function<void()> action);

    // The calls made so far, by name, in order.
    const std::vector<std::string>& calls() const { return calls_; }
    std::size_t callCount() const { return calls_.size(); }
    // The same, as one line: "open close open deleteValue close".
    std::string callSequence() const;

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
    bool shouldFail(const char* call);
    LONG opened(LONG status, const HKEY* key);

    RegistryApi& real_ = win32Registry();
    std::vector<std::string> calls_;
    std::multiset<HKEY> live_;
    std::size_t failIndex_ = SIZE_MAX;
    std::size_t actionIndex_ = SIZE_MAX;
    std::function<void()> action_;
    LONG failStatus_ = ERROR_SUCCESS;
    std::size_t misuses_ = 0;
};

}  // namespace corvastel::testing
