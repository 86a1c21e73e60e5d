#pragma once
// How failures cross the COM boundary: as an HRESULT, with the thread's error information
// always that of the current call, and never as a C++ exception.

#include <windows.h>

#include <new>

namespace corvastel::automation {

// Makes the thread's error information that of this outcome and returns it: for a Basic
// runtime error raised by clsRegistry, its description with the class as its source;
// none for any other failure, so that no earlier call's stays to be taken for this one's.
HRESULT reported(HRESULT outcome) noexcept;

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

// Runs body as a method of clsRegistry's interface: guarded, and its outcome reported.
template <typename Body>
HRESULT served(Body&& body) noexcept
{
    return reported(guarded(body));
}

}  // namespace corvastel::automation
