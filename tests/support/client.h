#pragma once
// Corvastel as a client calls it: the DLL loaded from beside the program with nothing
// registered, and calls through IDispatch as script hosts make them.

#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "platform/owners.h"

#include <wrl/client.h>

#include <vector>

namespace corvastel::testing {

// HKEY_CURRENT_USER as the 32-bit root key value that hosts pass.
inline constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001);
inline constexpr RegRootKey kCurrentUserRoot = static_cast<RegRootKey>(kCurrentUser);

inline HMODULE corvastelDll()
{
    static const HMODULE module = LoadLibraryW(L"Corvastel.dll");
    return module;
}

template <typename Function>
Function* corvastelExport(const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(corvastelDll(), name)));
}

inline Microsoft::WRL::ComPtr<IClassFactory> corvastelClassFactory()
{
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    if (auto* get = corvastelExport<HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**)>("DllGetClassObject")) {
        get(CLSID_clsRegistry, IID_PPV_ARGS(&factory));
    }
    return factory;
}

// EXCEPINFO as Invoke fills it, its strings freed when it goes.
struct Exception : EXCEPINFO {
    Exception() : EXCEPINFO{} {}
    ~Exception()
    {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
};

inline HRESULT dispatchIdOf(IDispatch* object, const wchar_t* name, DISPID& id)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    id = DISPID_UNKNOWN;
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

// Invokes a method with its arguments in call order (DISPPARAMS holds them reversed);
// named lists the parameters the first arguments fill, by dispatch id.
inline HRESULT invokeMethod(IDispatch* object, DISPID id, std::vector<VARIANT> arguments, UniqueVariant& result,
                            Exception& exception, std::vector<DISPID> named = {})
{
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), named.data(), static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
    UINT argumentError = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &exception,
                          &argumentError);
}

}  // namespace corvastel::testing
