// The module's state: its handle and the counts that keep it loaded.
#include "automation/module.h"

#include "automation/error_info.h"
#include "platform/module_files.h"

#include <atomic>

namespace corvastel::automation {
namespace {

HMODULE moduleHandle = nullptr;
std::atomic<LONG> objects{0};
std::atomic<LONG> serverLocks{0};

}  // namespace

HMODULE thisModule() noexcept { return moduleHandle; }

void attachModule(HMODULE module) noexcept { moduleHandle = module; }

void objectCreated() noexcept { ++objects; }
void objectDestroyed() noexcept { --objects; }
void lockServer() noexcept { ++serverLocks; }
void unlockServer() noexcept
{
    LONG held = serverLocks.load();
    while (held > 0 && !serverLocks.compare_exchange_weak(held, held - 1)) {
    }
}

bool moduleIsInUse() noexcept { return objects != 0 || serverLocks != 0; }

HRESULT loadOwnTypeLibrary(ITypeLib** library) noexcept
{
    return guarded([&] {
        std::wstring path;
        if (const HRESULT hr = modulePath(moduleHandle, path); FAILED(hr)) return hr;
        return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
    });
}

}  // namespace corvastel::automation
