#include "automation/dispatch.h"

#include "platform/owners.h"

#include <utility>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

using Parameter = TypeDispatch::Parameter;
using Method = TypeDispatch::Method;

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

Method shapeOf(ITypeInfo* info, const FUNCDESC& description)
{
    UniqueBstr name;
    info->GetDocumentation(description.memid, name.put(), nullptr, nullptr, nullptr);
    const auto count = static_cast<UINT>(description.cParams);
    Method method{std::wstring(view(name.get())), description.memid, count, {}};
    for (UINT index = 0; index < count; ++index) {
        const ELEMDESC& parameter = description.lprgelemdescParam[index];
        method.parameters[index] = {scalarType(info, parameter.tdesc), parameter.tdesc.vt == VT_PTR,
                                    (parameter.paramdesc.wParamFlags & PARAMFLAG_FOPT) != 0};
        if (parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) --method.arguments;
    }
    return method;
}

bool isMalformed(const DISPPARAMS& params)
{
    return (params.cArgs && !params.rgvarg) || params.cNamedArgs > params.cArgs ||
           (params.cNamedArgs && !params.rgdispidNamedArgs);
}

// Which parameter an argument fills: named ones come first, then the positional
// ones in reverse order.
UINT parameterOf(const DISPPARAMS& params, UINT argument)
{
    return argument < params.cNamedArgs ? static_cast<UINT>(params.rgdispidNamedArgs[argument])
                                        : params.cArgs - 1 - argument;
}

wchar_t asciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Equal but for the case of ASCII letters; a name that differs in any other character is
// left to the type information, whose comparison follows the locale.
bool equalIgnoringAsciiCase(std::wstring_view name, const wchar_t* candidate) noexcept
{
    for (const wchar_t c : name) {
        if (*candidate == L'\0' || asciiUpper(c) != asciiUpper(*candidate++)) return false;
    }
    return *candidate == L'\0';
}

// A host that fills in an omitted optional argument itself (C++ with vtMissing, VBA
// forwarding an Optional Variant, PowerShell) passes the error DISP_E_PARAMNOTFOUND.
bool isMissing(const VARIANT& argument)
{
    const VARIANT* value = V_VT(&argument) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(&argument) : &argument;
    return value && V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND;
}

// Whether two values of one scalar type are the same. A method that changes a string
// puts another string in its place, so a string is the same only while it is the same one.
bool sameValue(const VARIANT& a, const VARIANT& b) noexcept
{
    switch (V_VT(&a)) {
    case VT_UI1: return V_UI1(&a) == V_UI1(&b);
    case VT_I2: return V_I2(&a) == V_I2(&b);
    case VT_BOOL: return V_BOOL(&a) == V_BOOL(&b);
    case VT_I4: return V_I4(&a) == V_I4(&b);
    case VT_R4: return V_R4(&a) == V_R4(&b);
    case VT_R8: return V_R8(&a) == V_R8(&b);
    case VT_DATE: return V_DATE(&a) == V_DATE(&b);
    case VT_CY: return V_CY(&a).int64 == V_CY(&b).int64;
    case VT_BSTR: return V_BSTR(&a) == V_BSTR(&b);
    default: return false;
    }
}

// A reference to the scalar a variant holds, as a by-reference parameter of its type
// takes it: every scalar member of a variant's value union starts at the same address.
void referTo(VARIANT& value, VARIANT& reference) noexcept
{
    V_VT(&reference) = VT_BYREF | V_VT(&value);
    V_BYREF(&reference) = &V_UI1(&value);
}

// One argument on its way to the method, where it cannot go as the caller passed it.
class AdaptedArgument {
public:
    // A caller's variable (VT_BYREF|VT_VARIANT) for a parameter of a scalar type. Where the
    // variable holds another type, the call gets a copy converted to the parameter's,
    // which for a by-reference parameter goes back into the variable if the method
    // changed it: a variable the method only read keeps its own type and value (a String
    // stays a String, Empty stays Empty).
    HRESULT passVariable(VARIANT& variable, const Parameter& parameter, VARIANT& passed)
    {
        if (V_VT(&variable) == parameter.scalar) {
            if (parameter.byReference) {
                referTo(variable, passed);
            } else {
                passed = variable;  // borrowed from the caller for the call
            }
            return S_OK;
        }
        if (const HRESULT hr = VariantChangeType(converted_.put(), &variable, 0, parameter.scalar); FAILED(hr)) {
            return hr;
        }
        if (parameter.byReference) {
            referTo(*converted_.addressof(), passed);
            variable_ = &variable;
            asCalled_ = *converted_.addressof();
        } else {
            passed = *converted_.addressof();  // borrowed from converted_ for the call
        }
        return S_OK;
    }

    // A value for a parameter that takes a variant by reference. The type information
    // would pass the method a copy of its own, which Wine never frees: the call gets a
    // reference to a copy of ours instead, freed after it.
    HRESULT passValueByReference(const VARIANT& value, VARIANT& passed)
    {
        if (const HRESULT hr = VariantCopy(copy_.put(), const_cast<VARIANT*>(&value)); FAILED(hr)) return hr;
        V_VT(&passed) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&passed) = copy_.addressof();
        return S_OK;
    }

    // After the call: what the method changed goes back into the caller's variable.
    void returnToCaller()
    {
        const bool methodChanged = variable_ && !sameValue(asCalled_, *converted_.addressof());
        if (!methodChanged) return;
        VariantClear(variable_);
        *variable_ = converted_.release();
    }

private:
    UniqueVariant converted_;
    VARIANT* variable_ = nullptr;  // where converted_ goes back to, for a by-reference parameter
    VARIANT asCalled_{};           // converted_ as the method got it, its contents borrowed
    UniqueVariant copy_;
};

}  // namespace

HRESULT TypeDispatch::load(ComPtr<ITypeInfo> dispatchHalf, std::unique_ptr<TypeDispatch>& loaded)
{
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> interfaceHalf;
    HRESULT hr = dispatchHalf->GetRefTypeOfImplType(-1, &reference);
    if (SUCCEEDED(hr)) hr = dispatchHalf->GetRefTypeInfo(reference, &interfaceHalf);
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(hr)) hr = interfaceHalf->GetTypeAttr(&attributes);
    if (FAILED(hr)) return hr;
    const WORD count = attributes->cFuncs;
    interfaceHalf->ReleaseTypeAttr(attributes);

    std::unique_ptr<TypeDispatch> dispatch(new TypeDispatch(std::move(dispatchHalf), interfaceHalf));
    for (UINT index = 0; index < count; ++index) {
        FUNCDESC* description = nullptr;
        if (hr = interfaceHalf->GetFuncDesc(index, &description); FAILED(hr)) return hr;
        const bool method = description->invkind == INVOKE_FUNC;
        const bool fits = description->cParams <= SHORT(kMaxParameters);
        if (method && fits) dispatch->methods_.push_back(shapeOf(interfaceHalf.Get(), *description));
        interfaceHalf->ReleaseFuncDesc(description);
        if (method && !fits) return E_NOTIMPL;
    }
    loaded = std::move(dispatch);
    return S_OK;
}

TypeDispatch::TypeDispatch(ComPtr<ITypeInfo> dispatchHalf, ComPtr<ITypeInfo> interfaceHalf)
    : dispatchHalf_(std::move(dispatchHalf)), interfaceHalf_(std::move(interfaceHalf))
{
}

const TypeDispatch::Method* TypeDispatch::find(DISPID member) const noexcept
{
    for (const Method& method : methods_) {
        if (method.member == member) return &method;
    }
    return nullptr;
}

HRESULT TypeDispatch::idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const
{
    if (count == 1) {
        for (const Method& method : methods_) {
            if (equalIgnoringAsciiCase(method.name, names[0])) {
                ids[0] = method.member;
                return S_OK;
            }
        }
    }
    return DispGetIDsOfNames(dispatchHalf_.Get(), names, count, ids);
}

HRESULT TypeDispatch::invoke(IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError) const
{
    const Method* method = find(member);
    if (!params || !method) return dispatchHalf_->Invoke(object, member, flags, params, result, exception, argumentError);
    if (isMalformed(*params)) return E_INVALIDARG;
    // Checked here: Wine's type information calls a method without a result with surplus
    // arguments, and with named ones that no parameter has.
    if (params->cArgs > method->arguments) return DISP_E_BADPARAMCOUNT;

    VARIANT arguments[kMaxParameters];
    DISPID names[kMaxParameters];
    UINT callersIndex[kMaxParameters];
    AdaptedArgument adapted[kMaxParameters];
    DISPPARAMS call{arguments, names, 0, 0};
    UINT trailingLeftOut = 0;
    for (UINT index = 0; index < params->cArgs; ++index) {
        const VARIANT& argument = params->rgvarg[index];
        const UINT parameter = parameterOf(*params, index);
        const bool named = index < params->cNamedArgs;
        if (parameter >= method->arguments) {
            if (argumentError) *argumentError = index;
            return DISP_E_PARAMNOTFOUND;
        }
        const Parameter& shape = method->parameters[parameter];
        // Missing named arguments, and missing positional ones at the end, are left out as
        // if the host had not passed them, so that the parameter gets its default.
        if (shape.optional && isMissing(argument) && (named || index == params->cNamedArgs + trailingLeftOut)) {
            if (!named) ++trailingLeftOut;
            continue;
        }
        const UINT slot = call.cArgs++;
        if (named) names[call.cNamedArgs++] = params->rgdispidNamedArgs[index];
        callersIndex[slot] = index;
        arguments[slot] = argument;
        const bool variable = V_VT(&argument) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&argument);
        HRESULT hr = S_OK;
        if (shape.scalar == VT_EMPTY && shape.byReference && !(V_VT(&argument) & VT_BYREF)) {
            hr = adapted[slot].passValueByReference(argument, arguments[slot]);
        } else if (shape.scalar != VT_EMPTY && variable &&
                   FAILED(adapted[slot].passVariable(*V_VARIANTREF(&argument), shape, arguments[slot]))) {
            hr = DISP_E_TYPEMISMATCH;
        }
        if (FAILED(hr)) {
            if (argumentError) *argumentError = index;
            return hr;
        }
    }

    const HRESULT hr = interfaceHalf_->Invoke(object, member, flags, &call, result, exception, argumentError);
    for (UINT slot = 0; slot < call.cArgs; ++slot) adapted[slot].returnToCaller();
    if (argumentError && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && *argumentError < call.cArgs) {
        *argumentError = callersIndex[*argumentError];
    }
    return hr;
}

}  // namespace corvastel::automation
