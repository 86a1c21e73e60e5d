#include "automation/dispatch.h"

#include <algorithm>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace corvastel::automation {
namespace {

using Parameter = TypeDispatch::Parameter;
using Method = TypeDispatch::Method;
constexpr UINT kMaxParameters = TypeDispatch::kMaxParameters;

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

// The type of the value a parameter takes, as a variant holds it (an enumeration is a
// 32-bit integer); VT_EMPTY for a type that Invoke does not pass.
VARTYPE valueType(ITypeInfo* info, const TYPEDESC& type)
{
    switch (type.vt) {
    case VT_USERDEFINED: return isEnumeration(info, type.hreftype) ? VT_I4 : VT_EMPTY;
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL:
    case VT_UI1: case VT_VARIANT: return type.vt;
    default: return VT_EMPTY;
    }
}

// A value of the type: a variant as it is, a scalar converted as the automation runtime
// coerces arguments. A value already of the type is copied, which under Wine costs a
// third of what the runtime's coercion to the same type does, and a number, which owns
// nothing, without a call into the runtime at all.
HRESULT convert(const VARIANT& value, VARTYPE type, UniqueVariant& converted)
{
    VARIANT* source = const_cast<VARIANT*>(&value);
    if (V_VT(&value) != type && type != VT_VARIANT) return VariantChangeType(converted.put(), source, 0, type);
    if (type == VT_BSTR || type == VT_VARIANT) return VariantCopy(converted.put(), source);
    *converted.put() = value;
    return S_OK;
}

// Whether a value of the type passed as it is takes one machine word, as a reference does.
bool fitsOneWord(VARTYPE type) noexcept
{
    return type == VT_I2 || type == VT_I4 || type == VT_BOOL || type == VT_UI1 || type == VT_BSTR;
}

HRESULT shapeOf(ITypeInfo* info, const ELEMDESC& description, Parameter& parameter)
{
    const TYPEDESC& type = description.tdesc;
    const USHORT flags = description.paramdesc.wParamFlags;
    parameter.byReference = type.vt == VT_PTR;
    parameter.type = valueType(info, parameter.byReference ? *type.lptdesc : type);
    parameter.optional = (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
    if (parameter.type == VT_EMPTY || !(parameter.byReference || fitsOneWord(parameter.type))) return E_NOTIMPL;
    if (!parameter.optional) return S_OK;
    // Without a default, what hosts pass for a missing argument.
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    const VARIANT& fallback = flags & PARAMFLAG_FHASDEFAULT ? description.paramdesc.pparamdescex->varDefaultValue : missing;
    return convert(fallback, parameter.type, parameter.defaultValue);
}

// A method's shape; E_NOTIMPL for one whose calls Invoke does not build.
HRESULT shapeOf(ITypeInfo* info, const FUNCDESC& description, Method& method)
{
    const auto count = static_cast<UINT>(description.cParams);
    if (description.invkind != INVOKE_FUNC || description.callconv != CC_STDCALL ||
        description.elemdescFunc.tdesc.vt != VT_HRESULT || count > kMaxParameters) {
        return E_NOTIMPL;
    }
    UniqueBstr name;
    info->GetDocumentation(description.memid, name.put(), nullptr, nullptr, nullptr);
    method.name = view(name.get());
    method.member = description.memid;
    method.slot = static_cast<ULONG_PTR>(description.oVft);
    method.parameters = method.arguments = count;
    for (UINT index = 0; index < count; ++index) {
        const ELEMDESC& parameter = description.lprgelemdescParam[index];
        if (const HRESULT hr = shapeOf(info, parameter, method.parameter[index]); FAILED(hr)) return hr;
        if (parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
            // The result is what Invoke hands back: the last parameter, a reference.
            if (index + 1 != count || !method.parameter[index].byReference) return E_NOTIMPL;
            --method.arguments;
        }
    }
    return S_OK;
}

bool isMalformed(const DISPPARAMS& params)
{
    return (params.cArgs && !params.rgvarg) || params.cNamedArgs > params.cArgs ||
           (params.cNamedArgs && !params.rgdispidNamedArgs);
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

constexpr UINT kLeftOut = ~0u;

// Which argument fills each parameter, kLeftOut for none: positional arguments fill the
// leading parameters, named ones the parameter they name, and an optional parameter
// passed as missing is left out. A name that no parameter has, or a parameter given
// twice, fails with DISP_E_PARAMNOTFOUND at that argument; surplus arguments, or a
// parameter left out that is not optional, with DISP_E_BADPARAMCOUNT.
HRESULT assign(const Method& method, const DISPPARAMS& params, UINT (&argumentOf)[kMaxParameters], UINT& failing)
{
    if (params.cArgs > method.arguments) return DISP_E_BADPARAMCOUNT;
    std::fill(std::begin(argumentOf), std::end(argumentOf), kLeftOut);
    const UINT positional = params.cArgs - params.cNamedArgs;
    for (UINT index = 0; index < positional; ++index) argumentOf[index] = params.cArgs - 1 - index;
    for (UINT argument = 0; argument < params.cNamedArgs; ++argument) {
        const auto parameter = static_cast<UINT>(params.rgdispidNamedArgs[argument]);
        if (parameter >= method.arguments || argumentOf[parameter] != kLeftOut) {
            failing = argument;
            return DISP_E_PARAMNOTFOUND;
        }
        argumentOf[parameter] = argument;
    }
    for (UINT index = 0; index < method.arguments; ++index) {
        UINT& argument = argumentOf[index];
        const bool optional = method.parameter[index].optional;
        if (argument != kLeftOut && optional && isMissing(params.rgvarg[argument])) argument = kLeftOut;
        if (argument == kLeftOut && !optional) return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

// What a failed coercion means to the caller of Invoke.
HRESULT coercionError(HRESULT hr) noexcept
{
    return hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH;
}

// A reference to value, as a by-reference parameter of the type takes it: to the variant
// itself, or to the scalar it holds (every scalar member of a variant's value union
// starts at the same address).
void referTo(VARIANT& value, VARTYPE type, VARIANT& reference) noexcept
{
    V_VT(&reference) = VT_BYREF | type;
    V_BYREF(&reference) = type == VT_VARIANT ? static_cast<void*>(&value) : &V_UI1(&value);
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

// A value as the one machine word that passes it: a number widened as the compiler
// widens it, a string or a reference as its address.
ULONG_PTR wordOf(const VARIANT& value) noexcept
{
    switch (V_VT(&value)) {
    case VT_I2: return static_cast<ULONG_PTR>(V_I2(&value));
    case VT_I4: return static_cast<ULONG_PTR>(V_I4(&value));
    case VT_BOOL: return static_cast<ULONG_PTR>(V_BOOL(&value));
    case VT_UI1: return V_UI1(&value);
    case VT_BSTR: return reinterpret_cast<ULONG_PTR>(V_BSTR(&value));
    default: return reinterpret_cast<ULONG_PTR>(V_BYREF(&value));
    }
}

// Calls the function at slot in object's table of functions, one machine word for each
// of its count arguments. A COM method takes arguments of one word so whatever their
// declared types: stdcall and the x64 convention pass each in one stack slot or register,
// and a stdcall function takes as many words off the stack as it declares, which the
// count here matches.
HRESULT callThroughTable(IUnknown* object, ULONG_PTR slot, const ULONG_PTR (&word)[kMaxParameters], UINT count)
{
    static_assert(kMaxParameters == 5, "a case for each count of arguments");
    using W = ULONG_PTR;
    void* const function = (*reinterpret_cast<void* const* const*>(object))[slot / sizeof(void*)];
    switch (count) {
    case 0: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*)>(function)(object);
    case 1: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, W)>(function)(object, word[0]);
    case 2: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, W, W)>(function)(object, word[0], word[1]);
    case 3:
        return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, W, W, W)>(function)(object, word[0], word[1], word[2]);
    case 4:
        return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, W, W, W, W)>(function)(object, word[0], word[1],
                                                                                          word[2], word[3]);
    case 5:
        return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(IUnknown*, W, W, W, W, W)>(function)(
            object, word[0], word[1], word[2], word[3], word[4]);
    default: return E_NOTIMPL;
    }
}

// A reference to nothing is refused here, not left to the runtime's coercions, whose
// documentation does not say that they check it.
bool refersToNothing(const VARIANT& value) noexcept { return (V_VT(&value) & VT_BYREF) && !V_BYREF(&value); }

// One parameter's value for a call. The method gets the caller's argument itself only
// to read it as it is, or where the caller passed a reference of the parameter's own type
// for the method to change; anything else is a value of ours, freed with this.
class Binding {
public:
    // For the caller's argument, or for one left out (nullptr): the parameter's default.
    HRESULT bind(const Parameter& parameter, const VARIANT* argument)
    {
        const VARIANT& source = argument ? *argument : parameter.defaultValue.get();
        const VARTYPE type = parameter.type;
        const bool reference = V_VT(&source) & VT_BYREF;
        if (refersToNothing(source)) return DISP_E_TYPEMISMATCH;
        const bool variable = V_VT(&source) == (VT_BYREF | VT_VARIANT);
        VARIANT& value = variable ? *V_VARIANTREF(&source) : const_cast<VARIANT&>(source);
        if (refersToNothing(value)) return DISP_E_TYPEMISMATCH;
        if (!parameter.byReference) {
            if (V_VT(&value) == type) {
                passed_ = value;  // read as it is
                return S_OK;
            }
            if (const HRESULT hr = convert(value, type, own_); FAILED(hr)) return coercionError(hr);
            passed_ = own_.get();
            return S_OK;
        }
        if (V_VT(&source) == (VT_BYREF | type)) {
            passed_ = source;
            return S_OK;
        }
        if (variable && V_VT(&value) == type) {
            referTo(value, type, passed_);
            return S_OK;
        }
        // A reference to a scalar of another type could not take the method's value.
        if (reference && !variable && type != VT_VARIANT) return DISP_E_TYPEMISMATCH;
        if (const HRESULT hr = convert(value, type, own_); FAILED(hr)) return coercionError(hr);
        referTo(*own_.addressof(), type, passed_);
        if (variable) {
            variable_ = &value;
            asCalled_ = own_.get();
        }
        return S_OK;
    }

    // For the result: a value of ours of its type, which result() hands on.
    void bindResult(const Parameter& parameter) noexcept
    {
        VARIANT* value = own_.put();
        V_I8(value) = 0;  // as the method finds it: no string, no object
        if (parameter.type != VT_VARIANT) V_VT(value) = parameter.type;
        referTo(*value, parameter.type, passed_);
    }

    ULONG_PTR word() const noexcept { return wordOf(passed_); }
    VARIANT result() noexcept { return own_.release(); }

    // After the call: a value of ours that the method changed goes into the caller's
    // variable it came from; a variable the method only read keeps its own type and value
    // (a String stays a String, Empty stays Empty).
    void returnToCaller() noexcept
    {
        if (!variable_ || sameValue(asCalled_, own_.get())) return;
        VariantClear(variable_);
        *variable_ = own_.release();
    }

private:
    UniqueVariant own_;
    VARIANT passed_{};              // what the method gets: a value, or a reference
    VARIANT* variable_ = nullptr;   // the caller's variable that own_ came from
    VARIANT asCalled_{};            // own_ as the method got it, its contents borrowed
};

// DISP_E_EXCEPTION for a method that failed, its error information moved into exception
// where the caller passed one; without, it stays for GetErrorInfo.
HRESULT methodFailed(HRESULT failure, EXCEPINFO* exception)
{
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = failure;
        if (ComPtr<IErrorInfo> info; GetErrorInfo(0, &info) == S_OK) {
            info->GetSource(&exception->bstrSource);
            info->GetDescription(&exception->bstrDescription);
            info->GetHelpFile(&exception->bstrHelpFile);
            info->GetHelpContext(&exception->dwHelpContext);
        }
    }
    return DISP_E_EXCEPTION;
}

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

    std::unique_ptr<TypeDispatch> dispatch(new TypeDispatch(std::move(dispatchHalf)));
    const auto release = [&interfaceHalf](FUNCDESC* description) { interfaceHalf->ReleaseFuncDesc(description); };
    for (UINT index = 0; index < count; ++index) {
        FUNCDESC* read = nullptr;
        if (hr = interfaceHalf->GetFuncDesc(index, &read); FAILED(hr)) return hr;
        const std::unique_ptr<FUNCDESC, decltype(release)> description(read, release);
        Method method{};
        if (hr = shapeOf(interfaceHalf.Get(), *description, method); FAILED(hr)) return hr;
        dispatch->methods_.push_back(std::move(method));
    }
    loaded = std::move(dispatch);
    return S_OK;
}

TypeDispatch::TypeDispatch(ComPtr<ITypeInfo> dispatchHalf) noexcept : dispatchHalf_(std::move(dispatchHalf)) {}

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

HRESULT TypeDispatch::invoke(IUnknown* object, DISPID member, WORD flags, const DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError) const
{
    const Method* method = find(member);
    // The interface has methods only: nothing to read or assign as a property.
    if (!method || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (!params || isMalformed(*params)) return E_INVALIDARG;
    if (result) VariantInit(result);

    UINT argumentOf[kMaxParameters];
    UINT failing = kLeftOut;  // the argument to blame, where there is one
    HRESULT hr = assign(*method, *params, argumentOf, failing);
    Binding bindings[kMaxParameters];
    ULONG_PTR words[kMaxParameters];
    for (UINT index = 0; SUCCEEDED(hr) && index < method->parameters; ++index) {
        Binding& binding = bindings[index];
        if (index == method->arguments) {
            binding.bindResult(method->parameter[index]);
        } else {
            const UINT argument = argumentOf[index];
            hr = binding.bind(method->parameter[index], argument == kLeftOut ? nullptr : &params->rgvarg[argument]);
            failing = argument;
        }
        words[index] = binding.word();
    }
    if (FAILED(hr)) {
        if (argumentError && failing != kLeftOut) *argumentError = failing;
        return hr;
    }

    hr = callThroughTable(object, method->slot, words, method->parameters);
    for (Binding& binding : bindings) binding.returnToCaller();
    if (FAILED(hr)) return methodFailed(hr, exception);
    if (result && method->parameters > method->arguments) *result = bindings[method->arguments].result();
    return S_OK;
}

}  // namespace corvastel::automation
