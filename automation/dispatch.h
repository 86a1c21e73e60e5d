#pragma once
// IDispatch::Invoke served by the type information, the way script hosts call.

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
    // the type information cannot be read, or with E_NOTIMPL when a method has more
    // parameters than an Invoke here passes on. Throws std::bad_alloc.
    static HRESULT load(Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf, std::unique_ptr<TypeDispatch>& loaded);

    // What IDispatch::GetTypeInfo hands out.
    ITypeInfo* dispatchHalf() const noexcept { return dispatchHalf_.Get(); }

    // IDispatch::GetIDsOfNames, for names and ids that are there. A lone method name that
    // matches one of the interface's in ASCII letters, ignoring case, is answered from the
    // names read once; any other request goes to the type information.
    HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;

    // ITypeInfo::Invoke, adapted to script hosts. A variable they pass for a typed
    // parameter arrives as a reference to a variant, which the type information alone
    // rejects: it is coerced to the parameter's type for the call, and for a by-reference
    // parameter goes back into the variable only if the method changed it. An optional
    // argument passed as missing (DISP_E_PARAMNOTFOUND) counts as left out.
    HRESULT invoke(IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const;

    // The most parameters a method may have: Invoke passes its arguments on in arrays of
    // this size, and load refuses an interface with a wider method.
    static constexpr UINT kMaxParameters = 5;

    struct Parameter {
        VARTYPE scalar;  // VT_EMPTY for a parameter that takes a variant as it comes
        bool byReference;
        bool optional;
    };
    struct Method {
        std::wstring name;
        DISPID member;
        UINT arguments;  // what a caller passes: the parameters but the result's
        Parameter parameters[kMaxParameters];
    };

private:
    TypeDispatch(Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf, Microsoft::WRL::ComPtr<ITypeInfo> interfaceHalf);
    const Method* find(DISPID member) const noexcept;

    // The dispatch half answers for the interface as a whole; the interface half serves
    // its methods' calls, which Invoke on the dispatch half would look up on every call.
    Microsoft::WRL::ComPtr<ITypeInfo> dispatchHalf_;
    Microsoft::WRL::ComPtr<ITypeInfo> interfaceHalf_;
    // The methods, names included. VBScript and JScript ask for a method's id by name
    // before every call: answered from these names, a call by name costs what a call by
    // id does (scripts/bench.sh), where DispGetIDsOfNames would search the type
    // information and compare the name in the locale each time.
    std::vector<Method> methods_;
};

}  // namespace corvastel::automation
