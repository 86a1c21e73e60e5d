#include "corvastel_dll.h"

#include "automation/corvastel_h.h"

#include <cstdlib>
#include <cstring>

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

long operationsOption(int argc, char** argv, long fallback)
{
    const char option[] = "--operations=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, sizeof option - 1) == 0) return std::strtol(argv[i] + sizeof option - 1, nullptr, 10);
    }
    return fallback;
}

}  // namespace corvastel::testing
