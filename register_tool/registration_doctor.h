#pragma once
// What a host of each bitness gets when it creates Corvastel.clsRegistry: read, never
// written, from both registry views, the user's classes and the machine's, and told in
// plain words with what to run to mend what is wrong.

#include <windows.h>

#include <string>
#include <vector>

namespace corvastel::tool {

// One kind of host: 32-bit or 64-bit programs.
struct HostCheck {
    const wchar_t* bitness;    // "32-bit"
    std::wstring registeredBy;  // "for the current user", "for the machine", or empty: not registered
    std::wstring dll;           // the registered server file
    std::vector<std::wstring> problems;
    std::vector<std::wstring> mends;
    // Whether such a host creates the object: the ProgID leads to the class, and the
    // class to an existing DLL of the host's bitness.
    bool creates = false;
};

// The kinds of host this Windows has: 32-bit, and 64-bit on 64-bit Windows.
std::vector<HostCheck> checkHosts();

// The checks as the user reads them.
std::wstring describe(const std::vector<HostCheck>& hosts);

}  // namespace corvastel::tool
