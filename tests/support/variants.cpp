#include "variants.h"

namespace corvastel::testing {
namespace {

// An IDispatch that answers a property get of its default member, or nothing at all.
class DefaultValueObject final : public IDispatch {
public:
    explicit DefaultValueObject(const VARIANT* value) : value_(value ? copyOf(*value) : UniqueVariant()), hasValue_(value) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (member != DISPID_VALUE || !hasValue_) return DISP_E_MEMBERNOTFOUND;
        return result ? VariantCopy(result, value_.addressof()) : S_OK;
    }

private:
    ULONG references_ = 1;
    UniqueVariant value_;
    bool hasValue_;
};

}  // namespace

UniqueVariant arrayVariant()
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    if (!array) throw std::bad_alloc();
    return scalarVariant(VT_ARRAY | VT_VARIANT, array);
}

UniqueVariant objectVariant(const VARIANT* defaultValue)
{
    return scalarVariant<IDispatch*>(VT_DISPATCH, new DefaultValueObject(defaultValue));
}

UniqueVariant copyOf(const VARIANT& value)
{
    UniqueVariant copy;
    if (FAILED(VariantCopy(copy.put(), const_cast<VARIANT*>(&value)))) throw std::bad_alloc();
    return copy;
}

VARIANT byRef(UniqueVariant& target) { return scalarVariant(VT_BYREF | VT_VARIANT, target.addressof()).release(); }

std::string describe(const VARIANT& value)
{
    const auto narrow = [](BSTR text) {
        std::string result;
        for (wchar_t c : view(text)) result += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
        return result;
    };
    UniqueVariant text;
    switch (V_VT(&value)) {
    case VT_EMPTY: return "Empty";
    case VT_I4: return "I4 " + std::to_string(V_I4(&value));
    case VT_BSTR: return "\"" + narrow(V_BSTR(&value)) + "\"";
    default:
        VariantChangeTypeEx(text.put(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_BSTR);
        return "VT " + std::to_string(V_VT(&value)) + " " + narrow(V_VT(&text.get()) == VT_BSTR ? V_BSTR(&text.get()) : nullptr);
    }
}

}  // namespace corvastel::testing
