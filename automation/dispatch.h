#pragma once
// IDispatch::Invoke served by the type information, the way script hosts call.

#include <oaidl.h>

namespace corvastel::automation {

// ITypeInfo::Invoke, adapted to script hosts: a variable they pass for a typed
// parameter arrives as a reference to a variant, which the type information alone
// rejects. It is coerced to the parameter's type for the call, and for a by-reference
// parameter what the method leaves there goes back into the variable.
HRESULT invokeWithTypeInfo(ITypeInfo* info, IDispatch* object, DISPID member, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

}  // namespace corvastel::automation
