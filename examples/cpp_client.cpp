// Corvastel from C++ through its interface, early bound: the header that widl (or
// MIDL) generates from the type library declares _clsRegistry and its identities.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>

#include "interface/corvastel_h.h"

#include <cstdio>

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    _clsRegistry* reg = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER, IID__clsRegistry,
                                  reinterpret_cast<void**>(&reg));
    if (FAILED(hr)) {
        std::printf("Corvastel.clsRegistry is not registered (0x%08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }

    const auto currentUser = static_cast<RegRootKey>(0x80000001);
    BSTR key = SysAllocString(L"Software\\Corvastel Demo");
    BSTR name = SysAllocString(L"Answer");
    VARIANT data;
    VariantInit(&data);
    V_VT(&data) = VT_I4;
    V_I4(&data) = 42;
    RegDataType type = static_cast<RegDataType>(0);

    hr = reg->regCreate_Key_Value(currentUser, key, name, &data, &type);
    std::printf("regCreate_Key_Value: 0x%08lx, stored as type %d\n", static_cast<unsigned long>(hr), type);

    VARIANT value;
    VariantInit(&value);
    reg->regQuery_A_Key(currentUser, key, name, &value);
    std::printf("regQuery_A_Key: %ld\n", V_VT(&value) == VT_I4 ? V_I4(&value) : -1L);

    BSTR software = SysAllocString(L"Software");
    BSTR demo = SysAllocString(L"Corvastel Demo");
    VARIANT_BOOL deleted = VARIANT_FALSE;
    reg->regDelete_A_Key(currentUser, software, demo, &deleted);
    std::printf("regDelete_A_Key: %s\n", deleted ? "deleted" : "not deleted");

    SysFreeString(demo);
    SysFreeString(software);
    VariantClear(&value);
    SysFreeString(name);
    SysFreeString(key);
    reg->Release();
    CoUninitialize();
    return deleted ? 0 : 1;
}
