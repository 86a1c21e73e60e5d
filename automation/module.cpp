// The module's state: its handle, the counts that keep it loaded, and the type
// information, loaded once.
#include "automation/module.h"

#include "automation/error_info.h"
#include "platform/module_files.h"

#include <wrl/client.h>

#include <atomic>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

HMODULE moduleHandle = nullptr;
std::atomic<LONG> objects{0};
std::atomic<LONG> serverLocks{0};
std::atomic<TypeDispatch*> cachedDispatch{nullptr};

}  // namespace

HMODULE thisModule() noexcept { return moduleHandle; }

void objectCreated() noexcept { ++objects; }
void objectDestroyed() noexcept { --objects; }
void lockServer() noexcept { ++serverLocks; }
void unlockServer() noexcept
{
    LONG held = serverLocks.load();
    while (held > 0 && !serverLocks.compare_exchange_weak(held, held - 1)) {
    }
}

HRESULT loadOwnTypeLibrary(ITypeLib** library) noexcept
{
    return guarded([&] { return LoadTypeLibEx(modulePath(moduleHandle).c_str(), REGKIND_NONE, library); });
}

HRESULT registryDispatch(const TypeDispatch** dispatch) noexcept
{
    TypeDispatch* cached = cachedDispatch.load(std::memory_order_acquire);
    if (!cached) {
        ComPtr<ITypeLib> library;
        ComPtr<ITypeInfo> info;
        HRESULT hr = loadOwnTypeLibrary(&library);
        if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(IID__clsRegistry, &info);
        if (FAILED(hr)) return hr;
        std::unique_ptr<TypeDispatch> loaded;
        if (hr = guarded([&] { loaded = std::make_unique<TypeDispatch>(std::move(info)); return S_OK; }); FAILED(hr)) {
            return hr;
        }
        // The first thread to publish wins; a loser's copy goes with its unique_ptr.
        if (cachedDispatch.compare_exchange_strong(cached, loaded.get(), std::memory_order_acq_rel)) {
            cached = loaded.release();
        }
    }
    *dispatch = cached;
    return S_OK;
}

HRESULT registryTypeInfo(ITypeInfo** info) noexcept
{
    const TypeDispatch* dispatch = nullptr;
    const HRESULT hr = registryDispatch(&dispatch);
    if (FAILED(hr)) return hr;
    *info = dispatch->typeInfo();
    (*info)->AddRef();
    return S_OK;
}

void attachModule(HMODULE module) noexcept { moduleHandle = module; }

void releaseTypeInformation() noexcept { delete cachedDispatch.exchange(nullptr); }

bool moduleIsInUse() noexcept { return objects != 0 || serverLocks != 0; }

}  // namespace corvastel::automation
