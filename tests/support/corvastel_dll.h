#pragma once
// Corvastel.dll loaded from beside the test program, with nothing registered, and the
// command-line option that sets how long the long-running tests run.

#include <objbase.h>
#include <wrl/client.h>

namespace corvastel::testing {

HMODULE corvastelDll();
Microsoft::WRL::ComPtr<IClassFactory> corvastelClassFactory();

// The value of --operations=N among the arguments, or fallback.
long operationsOption(int argc, char** argv, long fallback);

}  // namespace corvastel::testing
