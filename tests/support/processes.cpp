#include "processes.h"

#include "platform/owners.h"

namespace corvastel::testing {

DWORD runToEnd(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError();
    }
    const UniqueKernelHandle thread(process.hThread), program(process.hProcess);
    WaitForSingleObject(program.get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(program.get(), &exitCode);
    return exitCode;
}

bool runningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

}  // namespace corvastel::testing
