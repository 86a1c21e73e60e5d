#include "registry_api.h"

namespace corvastel {
namespace {

class Win32Registry final : public RegistryApi {
public:
    LONG open(HKEY parent, const char* path, HKEY* key) override
    {
        return RegOpenKeyA(parent, path, key);
    }
    LONG create(HKEY parent, const char* path, HKEY* key) override
    {
        return RegCreateKeyA(parent, path, key);
    }
    LONG query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return RegQueryValueExA(key, name, nullptr, type, data, size);
    }
    LONG set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return RegSetValueExA(key, name, 0, type, data, size);
    }
    LONG deleteValue(HKEY key, const char* name) override { return RegDeleteValueA(key, name); }
    LONG deleteKey(HKEY key, const char* subKey) override { return RegDeleteKeyA(key, subKey); }
    LONG close(HKEY key) override { return RegCloseKey(key); }
};

}  // namespace

RegistryApi& win32Registry()
{
    static Win32Registry registry;
    return registry;
}

}  // namespace corvastel
