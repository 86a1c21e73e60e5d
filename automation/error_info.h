#pragma once
// How failures cross the COM boundary: as an HRESULT, with automation error
// information for the runtime errors of the registry operations, and never as a C++
// exception.

#include <windows.h>

#include <new>

namespace corvastel::automation {

// Sets the error information of a Basic runtime error raised by clsRegistry (its
// description and the class as its source) and returns the error.
HRESULT raiseError(HRESULT error) noexcept;

// Runs body, turning any exception that escapes it into an HRESULT.
template <typename Body>
HRESULT guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace corvastel::automation
