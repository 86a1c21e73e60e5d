#pragma once
// Corvastel.dll loaded from beside the test program, with nothing registered, or the
// object created as hosts create it, by ProgID.

#include "automation/corvastel_h.h"

#include <wrl/client.h>

namespace corvastel::testing {

// HKEY_CURRENT_USER as the 32-bit root key value that hosts pass.
inline constexpr LONG kCurrentUser = static_cast<LONG>(0x80000001);
inline constexpr RegRootKey kCurrentUserRoot = static_cast<RegRootKey>(kCurrentUser);

HMODULE corvastelDll();
Microsoft::WRL::ComPtr<IClassFactory> corvastelClassFactory();

// Corvastel.clsRegistry as the registration gives it; empty when that fails.
Microsoft::WRL::ComPtr<_clsRegistry> createByProgId();

}  // namespace corvastel::testing
