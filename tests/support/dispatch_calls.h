#pragma once
// Calling through IDispatch as script hosts do: names resolved to dispatch ids, arguments
// written in call order, and the exception information owned until it is read.

#include "platform/owners.h"

#include <oaidl.h>

#include <vector>

namespace corvastel::testing {

// EXCEPINFO as Invoke fills it, its strings freed when it goes.
struct Exception : EXCEPINFO {
    Exception() : EXCEPINFO{} {}
    ~Exception();
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
};

HRESULT dispatchIdOf(IDispatch* object, const wchar_t* name, DISPID& id);

// Invokes a method with its arguments in call order (DISPPARAMS holds them reversed);
// named lists the parameters the first arguments fill, by dispatch id.
HRESULT invokeMethod(IDispatch* object, DISPID id, std::vector<VARIANT> arguments, UniqueVariant& result,
                     Exception& exception, std::vector<DISPID> named = {});

}  // namespace corvastel::testing
