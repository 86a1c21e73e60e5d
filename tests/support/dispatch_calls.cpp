#include "dispatch_calls.h"

namespace corvastel::testing {

Exception::~Exception()
{
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
}

HRESULT dispatchIdOf(IDispatch* object, const wchar_t* name, DISPID& id)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    id = DISPID_UNKNOWN;
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT invokeMethod(IDispatch* object, DISPID id, std::vector<VARIANT> arguments, UniqueVariant& result,
                     Exception& exception, std::vector<DISPID> named)
{
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), named.data(), static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
    UINT argumentError = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &exception,
                          &argumentError);
}

}  // namespace corvastel::testing
