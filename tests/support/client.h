#pragma once
// Corvastel as a client calls it: the DLL loaded from beside the program with nothing
// registered, its class object, and the EXCEPINFO and dispatch ids of calls by name.

#include "interface/corvastel_h.h"
#include "interface/corvastel_identities.h"
#include "platform/module_files.h"
#include "platform/owners.h"

#include <wrl/client.h>

namespace corvastel::testing {

// HKEY_CURRENT_USER as the 32-bit root key value that hosts pass.
inline constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001);
inline constexpr RegRootKey kCurrentUserRoot = static_cast<RegRootKey>(kCurrentUser);

inline HMODULE corvastelDll()
{
    static const HMODULE module = LoadLibraryW(L"Corvastel.dll");
    return module;
}

// A loaded module's file, and a file beside this program: "" where the platform cannot
// tell, which no check takes for the file.
inline std::wstring pathOf(HMODULE module)
{
    std::wstring path;
    return SUCCEEDED(modulePath(module, path)) ? path : std::wstring();
}
inline std::wstring besideThisTest(const wchar_t* file)
{
    std::wstring path;
    return SUCCEEDED(besideThisProgram(file, path)) ? path : std::wstring();
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

}  // namespace corvastel::testing
