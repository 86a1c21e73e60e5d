#include "corvastel_dll.h"

#include "automation/corvastel_identities.h"

namespace corvastel::testing {

HMODULE corvastelDll()
{
    static const HMODULE module = LoadLibraryW(L"Corvastel.dll");
    return module;
}

Microsoft::WRL::ComPtr<IClassFactory> corvastelClassFactory()
{
    using GetClassObject = HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**);
    auto* getClassObject = reinterpret_cast<GetClassObject*>(
        reinterpret_cast<void*>(GetProcAddress(corvastelDll(), "DllGetClassObject")));
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    if (getClassObject) getClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory));
    return factory;
}

Microsoft::WRL::ComPtr<_clsRegistry> createByProgId()
{
    CLSID classId{};
    Microsoft::WRL::ComPtr<_clsRegistry> object;
    if (SUCCEEDED(CLSIDFromProgID(kProgId, &classId))) {
        CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    }
    return object;
}

}  // namespace corvastel::testing
