#include "automation/registry_object.h"

#include "automation/dispatch.h"
#include "automation/error_info.h"
#include "automation/module.h"

#include <wrl/client.h>

#include <algorithm>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

VARIANT_BOOL variantBool(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// The type information of _clsRegistry, with what Invoke needs of each method read out
// of it, made once per process: a script calls by name and through Invoke every time,
// and asking the type information anew for each call would cost more than the
// registry call it makes.
std::atomic<TypeDispatch*> cachedDispatch{nullptr};

HRESULT typeDispatch(const TypeDispatch** dispatch) noexcept
{
    TypeDispatch* cached = cachedDispatch.load(std::memory_order_acquire);
    if (!cached) {
        ComPtr<ITypeLib> library;
        ComPtr<ITypeInfo> info;
        HRESULT hr = loadOwnTypeLibrary(&library);
        if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(IID__clsRegistry, &info);
        if (FAILED(hr)) return hr;
        std::unique_ptr<TypeDispatch> loaded;
        if (hr = guarded([&] { return TypeDispatch::load(std::move(info), loaded); }); FAILED(hr)) return hr;
        // The first thread to publish wins; a loser's copy goes with its unique_ptr.
        if (cachedDispatch.compare_exchange_strong(cached, loaded.get(), std::memory_order_acq_rel)) {
            cached = loaded.release();
        }
    }
    *dispatch = cached;
    return S_OK;
}

}  // namespace

void RegistryObject::releaseTypeInformation() noexcept { delete cachedDispatch.exchange(nullptr); }

RegistryObject::RegistryObject() noexcept { objectCreated(); }

RegistryObject::~RegistryObject() { objectDestroyed(); }

HRESULT RegistryObject::create(REFIID iid, void** object) noexcept
{
    auto* created = new (std::nothrow) RegistryObject();
    if (!created) return E_OUTOFMEMORY;
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT RegistryObject::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID__clsRegistry)) {
        *object = static_cast<_clsRegistry*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG RegistryObject::AddRef() { return ++references_; }

ULONG RegistryObject::Release()
{
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT RegistryObject::GetTypeInfoCount(UINT* count)
{
    return served([&] {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    });
}

HRESULT RegistryObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    return served([&] {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        const TypeDispatch* dispatch = nullptr;
        const HRESULT hr = typeDispatch(&dispatch);
        if (FAILED(hr)) return hr;
        *info = dispatch->dispatchHalf();
        (*info)->AddRef();
        return S_OK;
    });
}

HRESULT RegistryObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return served([&] {
        if (!names || !ids || std::find(names, names + count, nullptr) != names + count) return E_POINTER;
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const TypeDispatch* dispatch = nullptr;
        const HRESULT hr = typeDispatch(&dispatch);
        return FAILED(hr) ? hr : dispatch->idsOfNames(names, count, ids);
    });
}

HRESULT RegistryObject::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError)
{
    const HRESULT hr = guarded([&] {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const TypeDispatch* dispatch = nullptr;
        const HRESULT loaded = typeDispatch(&dispatch);
        if (FAILED(loaded)) return loaded;
        return dispatch->invoke(static_cast<_clsRegistry*>(this), member, flags, params, result, exception,
                                argumentError);
    });
    // An exception's error information is the method's own, reported by the method.
    return hr == DISP_E_EXCEPTION ? hr : reported(hr);
}

HRESULT RegistryObject::regDelete_Sub_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                          VARIANT* result)
{
    return served([&] {
        if (!result) return E_POINTER;
        VariantInit(result);
        operations_.regDelete_Sub_Key(lngRootKey, view(strRegKeyPath), view(strRegSubKey));
        return S_OK;
    });
}

HRESULT RegistryObject::regDoes_Key_Exist(RegRootKey* lngRootKey, BSTR* strRegKeyPath, VARIANT_BOOL* result)
{
    return served([&] {
        if (!lngRootKey || !strRegKeyPath || !result) return E_POINTER;
        *result = VARIANT_FALSE;
        *result = variantBool(operations_.regDoes_Key_Exist(*lngRootKey, view(*strRegKeyPath)));
        return S_OK;
    });
}

HRESULT RegistryObject::regQuery_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                       VARIANT* result)
{
    return served([&] {
        if (!result) return E_POINTER;
        VariantInit(result);
        UniqueVariant value;
        const HRESULT hr = operations_.regQuery_A_Key(lngRootKey, view(strRegKeyPath), view(strRegSubKey), value);
        if (SUCCEEDED(hr)) *result = value.release();
        return hr;
    });
}

// An omitted lngDataType arrives as a NULL pointer and counts as 0.
HRESULT RegistryObject::regCreate_Key_Value(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                            VARIANT* varRegData, RegDataType* lngDataType)
{
    return served([&] {
        if (!varRegData) return E_POINTER;
        RegDataType type = lngDataType ? *lngDataType : RegDataType(0);
        const HRESULT hr = operations_.regCreate_Key_Value(lngRootKey, view(strRegKeyPath),
                                                         view(strRegSubKey), *varRegData, type);
        // The type is chosen before the data is converted, so the caller sees it either way.
        if (lngDataType) *lngDataType = type;
        return hr;
    });
}

HRESULT RegistryObject::regCreate_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, VARIANT* result)
{
    return served([&] {
        if (!result) return E_POINTER;
        VariantInit(result);
        operations_.regCreate_A_Key(lngRootKey, view(strRegKeyPath));
        return S_OK;
    });
}

HRESULT RegistryObject::regDelete_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegKeyName,
                                        VARIANT_BOOL* result)
{
    return served([&] {
        if (!result) return E_POINTER;
        *result = VARIANT_FALSE;
        *result = variantBool(operations_.regDelete_A_Key(lngRootKey, view(strRegKeyPath), view(strRegKeyName)));
        return S_OK;
    });
}

HRESULT RegistryObject::InterfaceSupportsErrorInfo(REFIID iid)
{
    return IsEqualIID(iid, IID__clsRegistry) ? S_OK : S_FALSE;
}

}  // namespace corvastel::automation
