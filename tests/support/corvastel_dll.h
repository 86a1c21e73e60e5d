#pragma once
// Corvastel.dll loaded from beside the test program, with nothing registered.

#include <objbase.h>
#include <wrl/client.h>

namespace corvastel::testing {

HMODULE corvastelDll();
Microsoft::WRL::ComPtr<IClassFactory> corvastelClassFactory();

}  // namespace corvastel::testing
