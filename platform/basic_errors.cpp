#include "basic_errors.h"

namespace corvastel {

std::wstring_view describeBasicError(HRESULT error) noexcept
{
    switch (error) {
    case kOverflow: return L"Overflow";
    case kTypeMismatch: return L"Type mismatch";
    case kInvalidUseOfNull: return L"Invalid use of Null";
    default: return {};
    }
}

}  // namespace corvastel
