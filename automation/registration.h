#pragma once
// What DllRegisterServer and DllUnregisterServer do: the class, its programmatic
// identifier and the type library, which ties the interface to it. Throw std::bad_alloc.

#include <windows.h>

namespace corvastel::automation {

HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace corvastel::automation
