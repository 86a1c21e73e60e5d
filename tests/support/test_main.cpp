// The entry point of every test program: GoogleTest's, with standard output unbuffered so
// that a test that brings its process down still leaves everything printed before it in
// the log (the runtime buffers a redirected stdout, and a crash loses the buffer).

#include "support/test_main.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace corvastel::testing {

const char* textOption(const char* name)
{
    const std::string prefix = "--" + std::string(name) + "=";
    for (int i = 1; i < __argc; ++i) {
        if (std::strncmp(__argv[i], prefix.c_str(), prefix.size()) == 0) return __argv[i] + prefix.size();
    }
    return nullptr;
}

bool runningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

}  // namespace corvastel::testing

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
