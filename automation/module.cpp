// The library's entry point, its unload test and the class object export.
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/module.h"

#include "automation/class_factory.h"
#include "automation/error_info.h"
#include "platform/module_files.h"

#include <wrl/client.h>

#include <atomic>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

HMODULE moduleHandle = nullptr;
std::atomic<LONG> locks{0};
std::atomic<ITypeInfo*> cachedTypeInfo{nullptr};

}  // namespace

HMODULE thisModule() noexcept { return moduleHandle; }

void lockModule() noexcept { ++locks; }
void unlockModule() noexcept { --locks; }

HRESULT loadOwnTypeLibrary(ITypeLib** library) noexcept
{
    return guarded([&] { return LoadTypeLibEx(modulePath(moduleHandle).c_str(), REGKIND_NONE, library); });
}

HRESULT registryTypeInfo(ITypeInfo** info) noexcept
{
    ITypeInfo* cached = cachedTypeInfo.load(std::memory_order_acquire);
    if (!cached) {
        ComPtr<ITypeLib> library;
        ComPtr<ITypeInfo> loaded;
        HRESULT hr = loadOwnTypeLibrary(&library);
        if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(IID__clsRegistry, &loaded);
        if (FAILED(hr)) return hr;
        // The first thread to publish wins; a loser's copy is released with its ComPtr.
        if (cachedTypeInfo.compare_exchange_strong(cached, loaded.Get(), std::memory_order_acq_rel)) {
            cached = loaded.Detach();
        }
    }
    cached->AddRef();
    *info = cached;
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
            if (ITypeInfo* info = cachedTypeInfo.exchange(nullptr)) info->Release();
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
