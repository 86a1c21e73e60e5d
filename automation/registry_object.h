#pragma once
// The COM object of clsRegistry: a facade that checks its pointers, resets its
// outputs, calls the registry operations and turns their errors into automation errors.

#include "interface/corvastel_h.h"
#include "registry/registry_operations.h"

#include <atomic>

namespace corvastel::automation {

class RegistryObject final : public _clsRegistry, public ISupportErrorInfo {
public:
    static HRESULT create(REFIID iid, void** object) noexcept;
    // Frees the type information the objects share, when the module unloads.
    static void releaseTypeInformation() noexcept;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, served from the type library
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // _clsRegistry
    HRESULT STDMETHODCALLTYPE regDelete_Sub_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                                VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE regDoes_Key_Exist(RegRootKey* lngRootKey, BSTR* strRegKeyPath,
                                                VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE regQuery_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                             VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE regCreate_Key_Value(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegSubKey,
                                                  VARIANT* varRegData, RegDataType* lngDataType) override;
    HRESULT STDMETHODCALLTYPE regCreate_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE regDelete_A_Key(RegRootKey lngRootKey, BSTR strRegKeyPath, BSTR strRegKeyName,
                                              VARIANT_BOOL* result) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    RegistryObject() noexcept;
    ~RegistryObject();

    std::atomic<ULONG> references_{1};
    RegistryOperations operations_;
};

}  // namespace corvastel::automation
