#include "automation/dispatch.h"

#include "platform/owners.h"

#include <cstring>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

using Parameter = TypeDispatch::Parameter;
using Function = TypeDispatch::Function;

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

Function shapeOf(ITypeInfo* info, const FUNCDESC& description)
{
    UniqueBstr name;
    info->GetDocumentation(description.memid, name.put(), nullptr, nullptr, nullptr);
    const auto count = static_cast<UINT>(description.cParams);
    Function function{std::wstring(view(name.get())), description.memid, count, {}};
    for (UINT index = 0; index < count; ++index) {
        const ELEMDESC& parameter = description.lprgelemdescParam[index];
        function.parameters[index] = {scalarType(info, parameter.tdesc), parameter.tdesc.vt == VT_PTR,
                                      (parameter.paramdesc.wParamFlags & PARAMFLAG_FOPT) != 0};
        if (parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) --function.arguments;
    }
    return function;
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

// A caller's variable passed for a typed parameter. The call gets the variable itself
// where it holds the parameter's type already, and otherwise a copy in that type, which
// goes back into the variable only if the method changed it: a variable the method only
// read keeps its own type and value (a String stays a String, Empty stays Empty).
class AdaptedArgument {
public:
    HRESULT adapt(VARIANT& variable, const Parameter& parameter, VARIANT& argument)
    {
        VARIANT* passed = &variable;
        if (V_VT(&variable) != parameter.scalar) {
            VARIANT* typed = typed_.put();
            std::memset(typed, 0, sizeof *typed);  // so that the value compares whole
            if (const HRESULT hr = VariantChangeType(typed, &variable, 0, parameter.scalar); FAILED(hr)) return hr;
            passed = typed;
            if (parameter.byReference) {
                variable_ = &variable;
                std::memcpy(&before_, &V_UI1(typed), sizeof before_);
            }
        }
        if (parameter.byReference) {
            // Every scalar member of a variant's value union starts at the same address.
            V_VT(&argument) = VT_BYREF | parameter.scalar;
            V_BYREF(&argument) = &V_UI1(passed);
        } else {
            argument = *passed;  // borrowed: the variable or this keeps ownership
        }
        return S_OK;
    }

    // A value passed for a parameter that takes a variant by reference. The type
    // information would pass the method a copy of its own, which Wine never frees; the
    // call gets a reference to a copy that borrows the value's contents instead.
    void lend(const VARIANT& value, VARIANT& argument)
    {
        lent_ = value;
        lentFrom_ = &value;
        V_VT(&argument) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&argument) = &lent_;
    }

    // After the call: a changed copy goes back into the caller's variable, and whatever a
    // method left in place of a lent value is freed.
    void writeBack()
    {
        if (lentFrom_ && std::memcmp(&lent_, lentFrom_, sizeof lent_) != 0) VariantClear(&lent_);
        if (!variable_ || std::memcmp(&before_, &V_UI1(typed_.addressof()), sizeof before_) == 0) return;
        VariantClear(variable_);
        *variable_ = typed_.release();
    }

private:
    UniqueVariant typed_;
    VARIANT* variable_ = nullptr;
    ULONGLONG before_ = 0;  // the copy's value as the call got it
    VARIANT lent_{};
    const VARIANT* lentFrom_ = nullptr;
};

}  // namespace

TypeDispatch::TypeDispatch(ComPtr<ITypeInfo> info) : info_(std::move(info)), invoker_(info_)
{
    HREFTYPE vtableHalf = 0;
    ComPtr<ITypeInfo> vtable;
    if (SUCCEEDED(info_->GetRefTypeOfImplType(-1, &vtableHalf)) && SUCCEEDED(info_->GetRefTypeInfo(vtableHalf, &vtable))) {
        invoker_ = vtable;
    }

    TYPEATTR* attributes = nullptr;
    if (FAILED(invoker_->GetTypeAttr(&attributes))) return;
    const WORD count = attributes->cFuncs;
    invoker_->ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < count; ++index) {
        FUNCDESC* description = nullptr;
        if (FAILED(invoker_->GetFuncDesc(index, &description))) continue;
        if (description->invkind == INVOKE_FUNC && description->cParams <= SHORT(kMaxParameters)) {
            functions_.push_back(shapeOf(invoker_.Get(), *description));
        }
        invoker_->ReleaseFuncDesc(description);
    }
}

const TypeDispatch::Function* TypeDispatch::find(DISPID member) const noexcept
{
    for (const Function& function : functions_) {
        if (function.member == member) return &function;
    }
    return nullptr;
}

HRESULT TypeDispatch::idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const
{
    if (count == 1) {
        for (const Function& function : functions_) {
            if (equalIgnoringAsciiCase(function.name, names[0])) {
                ids[0] = function.member;
                return S_OK;
            }
        }
    }
    return DispGetIDsOfNames(info_.Get(), names, count, ids);
}

HRESULT TypeDispatch::invoke(IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError) const
{
    const Function* function = find(member);
    if (!params || !function) return info_->Invoke(object, member, flags, params, result, exception, argumentError);
    if (isMalformed(*params)) return E_INVALIDARG;
    // Checked here: Wine's type information calls a method without a result with surplus
    // arguments, and with named ones that no parameter has.
    if (params->cArgs > function->arguments) return DISP_E_BADPARAMCOUNT;

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
        if (parameter >= function->arguments) {
            if (argumentError) *argumentError = index;
            return DISP_E_PARAMNOTFOUND;
        }
        const Parameter& shape = function->parameters[parameter];
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
        if (shape.byReference && shape.scalar == VT_EMPTY && !(V_VT(&argument) & VT_BYREF)) {
            adapted[slot].lend(argument, arguments[slot]);
            continue;
        }
        if (shape.scalar == VT_EMPTY || V_VT(&argument) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&argument)) {
            continue;
        }
        if (FAILED(adapted[slot].adapt(*V_VARIANTREF(&argument), shape, arguments[slot]))) {
            if (argumentError) *argumentError = index;
            return DISP_E_TYPEMISMATCH;
        }
    }

    const HRESULT hr = invoker_->Invoke(object, member, flags, &call, result, exception, argumentError);
    for (UINT slot = 0; slot < call.cArgs; ++slot) adapted[slot].writeBack();
    if (argumentError && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && *argumentError < call.cArgs) {
        *argumentError = callersIndex[*argumentError];
    }
    return hr;
}

}  // namespace corvastel::automation
