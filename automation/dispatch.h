#pragma once
// IDispatch served from the type information: names looked up once, and every call by
// name built here, argument by argument, and made through the interface's table of
// functions.

#include "platform/owners.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

namespace corvastel::automation {

// The type information of a dual interface, with what Invoke needs to know of each of its
// methods read once: the type information does not change while the library is loaded.
class TypeDispatch {
public:
    // Reads the methods of the dual interface whose dispatch half is given. Fails when
    // the type information cannot be read, or with E_NOTIMPL when a method has a shape
    // that Invoke here does not build: more parameters than kMaxParameters, a parameter
    // of a type other than the automation scalars and VARIANT, or one passed by value
    // that takes more than a machine word (a floating-point number, a currency, a date
    // or a VARIANT). Throws std::bad_alloc.
    static HRESULT load(Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf, std::unique_ptr<TypeDispatch>& loaded);

    // What IDispatch::GetTypeInfo hands out.
    ITypeInfo* dispatchHalf() const noexcept { return dispatchHalf_.Get(); }

    // IDispatch::GetIDsOfNames, for names and ids that are there. A lone method name that
    // matches one of the interface's in ASCII letters, ignoring case, is answered from the
    // names read once; any other request goes to the type information.
    HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;

    // IDispatch::Invoke of one of the methods on object, which implements the interface.
    // Each argument fills one parameter (named ones by their id, positional ones the
    // leading parameters), is converted to the parameter's type into a value of ours, and
    // the method, called through the interface's table of functions, gets that value or
    // a reference to it. The caller's arguments are only read; afterwards a variable
    // passed by reference receives what the method changed. A method that fails gives
    // DISP_E_EXCEPTION, with its error information in exception when the caller passed
    // one. Whatever the call made is freed on every path. Throws std::bad_alloc.
    HRESULT invoke(IUnknown* object, DISPID member, WORD flags, const DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const;

    // The most parameters a method may have, its result included.
    static constexpr UINT kMaxParameters = 5;

    struct Parameter {
        VARTYPE type;  // the value's: an automation scalar (an enumeration is VT_I4) or VT_VARIANT
        bool byReference;
        bool optional;
        UniqueVariant defaultValue;  // what an optional parameter left out gets, of its type
    };
    struct Method {
        std::wstring name;
        DISPID member;
        ULONG_PTR slot;    // where the method lies in the interface's table, in bytes
        UINT parameters;   // the result's included, which comes last
        UINT arguments;    // what a caller passes: the parameters but the result
        Parameter parameter[kMaxParameters];
    };

private:
    TypeDispatch(Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf) noexcept;
    const Method* find(DISPID member) const noexcept;

    // The dispatch half answers for the interface as a whole: the names and the
    // type information that hosts browse.
    Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf_;
    // The methods, names included. VBScript and JScript ask for a method's id by name
    // before every call: answered from these names, a call by name costs what a call by
    // id does (scripts/bench.sh), where DispGetIDsOfNames would search the type
    // information and compare the name in the locale each time.
    std::vector<Method> methods_;
};

}  // namespace corvastel::automation
