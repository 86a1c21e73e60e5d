#pragma once
// IDispatch::Invoke served by the type information, the way script hosts call.

#include <oaidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace corvastel::automation {

// The type information of a dual interface, with what Invoke needs to know of each of its
// functions read once: the type information does not change while the library is loaded.
class TypeDispatch {
public:
    // Reads the functions; throws std::bad_alloc.
    explicit TypeDispatch(Microsoft::WRL::ComPtr<ITypeInfo> info);

    ITypeInfo* typeInfo() const noexcept { return info_.Get(); }

    // IDispatch::GetIDsOfNames, for names and ids that are there. A lone function name
    // that matches one of the interface's in ASCII letters, ignoring case, is answered
    // from the names read once; any other request goes to the type information.
    HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;

    // ITypeInfo::Invoke, adapted to script hosts. A variable they pass for a typed
    // parameter arrives as a reference to a variant, which the type information alone
    // rejects: it is coerced to the parameter's type for the call, and for a by-reference
    // parameter goes back into the variable only if the method changed it. An optional
    // argument passed as missing (DISP_E_PARAMNOTFOUND) counts as left out.
    HRESULT invoke(IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const;

    // Functions with more parameters are passed to the type information unadapted.
    static constexpr UINT kMaxParameters = 5;

    struct Parameter {
        VARTYPE scalar;  // VT_EMPTY for a parameter that takes a variant as it comes
        bool byReference;
        bool optional;
    };
    struct Function {
        std::wstring name;
        DISPID member;
        UINT arguments;  // what a caller passes: the parameters but the result's
        Parameter parameters[kMaxParameters];
    };

private:
    const Function* find(DISPID member) const noexcept;

    Microsoft::WRL::ComPtr<ITypeInfo> info_;
    // The interface half of a dual interface, which serves its functions' calls: Invoke
    // on the dispatch half looks it up again on every call. Anything else goes to info_.
    Microsoft::WRL::ComPtr<ITypeInfo> invoker_;
    std::vector<Function> functions_;
};

}  // namespace corvastel::automation
