#include "automation/dispatch.h"

#include "platform/owners.h"

#include <wrl/client.h>

#include <memory>
#include <utility>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

// A FUNCDESC borrowed from its type information and given back at the end of scope.
class FunctionDescription {
public:
    // Found by walking the descriptions: Wine's GetFuncIndexOfMemId counts a dual
    // interface's functions without those of IDispatch, unlike GetFuncDesc.
    FunctionDescription(ITypeInfo* info, DISPID member) : info_(info)
    {
        TYPEATTR* attributes = nullptr;
        if (FAILED(info->GetTypeAttr(&attributes))) return;
        const WORD count = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT index = 0; index < count && !description_; ++index) {
            if (FAILED(info->GetFuncDesc(index, &description_))) return;
            if (description_->memid != member || description_->invkind != INVOKE_FUNC) {
                info->ReleaseFuncDesc(std::exchange(description_, nullptr));
            }
        }
    }
    ~FunctionDescription()
    {
        if (description_) info_->ReleaseFuncDesc(description_);
    }
    FunctionDescription(const FunctionDescription&) = delete;
    FunctionDescription& operator=(const FunctionDescription&) = delete;

    const FUNCDESC* get() const noexcept { return description_; }

private:
    ITypeInfo* info_;
    FUNCDESC* description_ = nullptr;
};

bool isEnumeration(ITypeInfo* info, HREFTYPE reference)
{
    ComPtr<ITypeInfo> referenced;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetRefTypeInfo(reference, &referenced)) || FAILED(referenced->GetTypeAttr(&attributes))) {
        return false;
    }
    const bool enumeration = attributes->typekind == TKIND_ENUM;
    referenced->ReleaseTypeAttr(attributes);
    return enumeration;
}

// The scalar type of a parameter, or of what a by-reference parameter points to (an
// enumeration counts as a 32-bit integer); VT_EMPTY for one that takes variants.
VARTYPE scalarType(ITypeInfo* info, const TYPEDESC& type)
{
    const TYPEDESC& target = type.vt == VT_PTR ? *type.lptdesc : type;
    switch (target.vt) {
    case VT_USERDEFINED: return isEnumeration(info, target.hreftype) ? VT_I4 : VT_EMPTY;
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL:
    case VT_UI1: return target.vt;
    default: return VT_EMPTY;
    }
}

// Which parameter an argument fills: named ones come first, then the positional
// ones in reverse order.
UINT parameterOf(const DISPPARAMS& params, UINT argument)
{
    return argument < params.cNamedArgs ? static_cast<UINT>(params.rgdispidNamedArgs[argument])
                                        : params.cArgs - 1 - argument;
}

// A caller's variable passed for a typed parameter: its value in the parameter's type
// for the call, and for a by-reference parameter the variable to take the result.
struct AdaptedArgument {
    VARIANT* variable;
    bool byReference;
    UniqueVariant typed;
};

}  // namespace

HRESULT invokeWithTypeInfo(ITypeInfo* info, IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    const FunctionDescription function(info, member);
    if (!params || !function.get()) {
        return info->Invoke(object, member, flags, params, result, exception, argumentError);
    }
    if ((params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs)) {
        return E_INVALIDARG;
    }

    std::vector<VARIANT> arguments(params->rgvarg, params->rgvarg + params->cArgs);
    std::vector<std::unique_ptr<AdaptedArgument>> adapted;
    for (UINT index = 0; index < params->cArgs; ++index) {
        VARIANT& argument = arguments[index];
        const UINT parameter = parameterOf(*params, index);
        if (V_VT(&argument) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&argument) ||
            parameter >= UINT(function.get()->cParams)) {
            continue;
        }
        const TYPEDESC& declared = function.get()->lprgelemdescParam[parameter].tdesc;
        const VARTYPE type = scalarType(info, declared);
        if (type == VT_EMPTY) continue;

        auto adapter = std::make_unique<AdaptedArgument>(AdaptedArgument{V_VARIANTREF(&argument), declared.vt == VT_PTR, {}});
        if (FAILED(VariantChangeType(adapter->typed.put(), adapter->variable, 0, type))) {
            if (argumentError) *argumentError = index;
            return DISP_E_TYPEMISMATCH;
        }
        if (adapter->byReference) {
            // Every scalar member of a variant's value union starts at the same address.
            V_VT(&argument) = VT_BYREF | type;
            V_BYREF(&argument) = &V_UI1(adapter->typed.addressof());
        } else {
            argument = adapter->typed.get();  // borrowed: the adapter keeps ownership
        }
        adapted.push_back(std::move(adapter));
    }

    DISPPARAMS adaptedParams = *params;
    adaptedParams.rgvarg = arguments.data();
    const HRESULT hr = info->Invoke(object, member, flags, &adaptedParams, result, exception, argumentError);
    for (const auto& adapter : adapted) {
        if (!adapter->byReference) continue;
        VariantClear(adapter->variable);
        *adapter->variable = adapter->typed.release();
    }
    return hr;
}

}  // namespace corvastel::automation
