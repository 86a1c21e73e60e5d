#include "platform/module_files.h"

#include <new>

namespace corvastel {

std::wstring modulePath(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw std::bad_alloc();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring besideThisProgram(const wchar_t* file)
{
    const std::wstring program = modulePath(nullptr);
    return program.substr(0, program.find_last_of(L'\\') + 1) + file;
}

}  // namespace corvastel
