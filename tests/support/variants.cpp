#include "variants.h"

#include <new>

namespace corvastel::testing {
namespace {

template <typename Assign>
UniqueVariant make(VARTYPE type, Assign assign)
{
    UniqueVariant variant;
    VARIANT* value = variant.put();
    assign(*value);
    V_VT(value) = type;
    return variant;
}

// An IDispatch that answers a property get of its default member, or nothing at all.
class DefaultValueObject final : public IDispatch {
public:
    explicit DefaultValueObject(const VARIANT* value) : hasValue_(value != nullptr)
    {
        VariantInit(&value_);
        if (value) VariantCopy(&value_, const_cast<VARIANT*>(value));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG remaining = --references_;
        if (remaining == 0) {
            VariantClear(&value_);
            delete this;
        }
        return remaining;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override
    {
        if (member != DISPID_VALUE || !hasValue_) return DISP_E_MEMBERNOTFOUND;
        return result ? VariantCopy(result, &value_) : S_OK;
    }

private:
    ULONG references_ = 1;
    bool hasValue_;
    VARIANT value_;
};

}  // namespace

UniqueVariant doubleVariant(double number) { return make(VT_R8, [&](VARIANT& v) { V_R8(&v) = number; }); }
UniqueVariant shortVariant(SHORT number) { return make(VT_I2, [&](VARIANT& v) { V_I2(&v) = number; }); }
UniqueVariant boolVariant(bool value)
{
    return make(VT_BOOL, [&](VARIANT& v) { V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE; });
}
UniqueVariant dateVariant(DATE date) { return make(VT_DATE, [&](VARIANT& v) { V_DATE(&v) = date; }); }
UniqueVariant currencyVariant(LONGLONG tenThousandths)
{
    return make(VT_CY, [&](VARIANT& v) { V_CY(&v).int64 = tenThousandths; });
}
UniqueVariant nullVariant() { return make(VT_NULL, [](VARIANT&) {}); }
UniqueVariant errorVariant(SCODE error) { return make(VT_ERROR, [&](VARIANT& v) { V_ERROR(&v) = error; }); }
UniqueVariant arrayVariant()
{
    return make(VT_ARRAY | VT_VARIANT, [](VARIANT& v) {
        V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 2);
        if (!V_ARRAY(&v)) throw std::bad_alloc();
    });
}
UniqueVariant objectVariant(const VARIANT* defaultValue)
{
    return make(VT_DISPATCH, [&](VARIANT& v) { V_DISPATCH(&v) = new DefaultValueObject(defaultValue); });
}

VARIANT byRef(UniqueVariant& target)
{
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = const_cast<VARIANT*>(&target.get());
    return reference;
}

std::string describe(const VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_EMPTY: return "Empty";
    case VT_I4: return "I4 " + std::to_string(V_I4(&value));
    case VT_BSTR: {
        const std::wstring_view text = view(V_BSTR(&value));
        std::string narrow;
        for (wchar_t c : text) narrow += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
        return "\"" + narrow + "\"";
    }
    default: return "VT " + std::to_string(V_VT(&value));
    }
}

}  // namespace corvastel::testing

