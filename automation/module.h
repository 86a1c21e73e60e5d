#pragma once
// What the whole library shares: its module handle, and the count of live objects and
// server locks that keeps it loaded.

#include <oaidl.h>

namespace corvastel::automation {

HMODULE thisModule() noexcept;
void attachModule(HMODULE module) noexcept;

// Live objects, and server locks (IClassFactory::LockServer and references to the class
// object); either keeps the module loaded. An unlock beyond the locks taken is ignored,
// so that a host's extra unlock cannot unload the module under another's lock or object.
void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lockServer() noexcept;
void unlockServer() noexcept;
bool moduleIsInUse() noexcept;

// The type library embedded in this module, loaded without registering anything.
HRESULT loadOwnTypeLibrary(ITypeLib** library) noexcept;

}  // namespace corvastel::automation
