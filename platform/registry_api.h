#pragma once
// The seven registry calls that the registry class makes, with the meaning of their
// ANSI advapi32 counterparts. Every call returns a Win32 status code, 0 for success.
// The class reaches the registry through nothing else, so a test can stand in for it
// to count handles or to make any call fail.

#include <windows.h>

#include <utility>

namespace corvastel {

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // On success *key holds an open handle; otherwise it is left as the caller set it.
    virtual LONG open(HKEY parent, const char* path, HKEY* key) = 0;
    // Like open, creating the key and every missing key along the path first.
    virtual LONG create(HKEY parent, const char* path, HKEY* key) = 0;
    // Without data, reports the value's type and size in bytes; with data, copies the
    // value when *size covers it. A missing value leaves *type untouched.
    virtual LONG query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) = 0;
    virtual LONG set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual LONG deleteValue(HKEY key, const char* name) = 0;
    virtual LONG deleteKey(HKEY key, const char* subKey) = 0;
    virtual LONG close(HKEY key) = 0;
};

// The production registry: advapi32's ANSI functions. Stateless and shared.
RegistryApi& win32Registry();

// An operation's key handle variable: 0 until an open or create fills it, and passed to
// close through the same calls when the owner goes, whatever it holds by then (the
// operations close a handle that is still 0 as well). A moved-from owner closes nothing.
class [[nodiscard]] RegistryKey {
public:
    explicit RegistryKey(RegistryApi& api) noexcept : api_(&api) {}
    RegistryKey(RegistryKey&& other) noexcept
        : api_(std::exchange(other.api_, nullptr)), handle_(std::exchange(other.handle_, nullptr))
    {
    }
    RegistryKey& operator=(RegistryKey&&) = delete;
    ~RegistryKey()
    {
        if (api_) api_->close(handle_);
    }

    HKEY get() const noexcept { return handle_; }
    // The variable, for the open or create that fills it: a handle it held is closed
    // first, as every owner's put does.
    HKEY* put() noexcept
    {
        if (handle_) api_->close(std::exchange(handle_, nullptr));
        return &handle_;
    }
    bool isOpen() const noexcept { return handle_ != nullptr; }

private:
    RegistryApi* api_;
    HKEY handle_ = nullptr;
};

}  // namespace corvastel
