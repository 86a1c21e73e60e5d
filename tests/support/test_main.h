#pragma once
// What a test program knows of its run: its own options on the command line beside
// GoogleTest's, --name=VALUE, and whether Windows or Wine runs it, where the two differ.

namespace corvastel::testing {

// The text of --name=TEXT, or nullptr when it is not given.
const char* textOption(const char* name);

bool runningUnderWine();

}  // namespace corvastel::testing
