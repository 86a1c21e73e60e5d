#pragma once

#include <objbase.h>

namespace corvastel::automation {

// The one class object of clsRegistry. It lives as long as the module; references to
// it count as server locks.
IClassFactory& classFactory() noexcept;

}  // namespace corvastel::automation
