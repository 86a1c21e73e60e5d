// The library's entry point, its unload test and the class object export.
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/module.h"

#include "automation/class_factory.h"
#include "automation/error_info.h"
#include "platform/module_files.h"

#include <wrl/client.h>

#include <atomic>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

HMODULE moduleHandle = nullptr;
std::atomic<LONG> locks{0};
std::atomic<TypeDispatch*> cachedDispatch{nullptr};

}  // namespace

HMODULE thisModule() noexcept { return moduleHandle; }

void lockModule() noexcept { ++locks; }
void unlockModule() noexcept { --locks; }

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

}  // namespace corvastel::automation

using namespace corvastel::automation;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        moduleHandle = instance;
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        // At process exit (reserved set) oleaut32 may already be gone: leave it be.
        if (!reserved) {
            delete cachedDispatch.exchange(nullptr);
        }
        break;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_clsRegistry)) return CLASS_E_CLASSNOTAVAILABLE;
    return classFactory().QueryInterface(iid, object);
}
