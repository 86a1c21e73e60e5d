#include "platform/module_files.h"

namespace corvastel {

HRESULT modulePath(HMODULE module, std::wstring& path)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
        // A path that fills the buffer may have been cut short: only a shorter one is whole.
        if (length < buffer.size()) {
            buffer.resize(length);
            path = std::move(buffer);
            return S_OK;
        }
        buffer.resize(buffer.size() * 2);
    }
}

HRESULT besideThisProgram(const wchar_t* file, std::wstring& path)
{
    std::wstring program;
    if (const HRESULT hr = modulePath(nullptr, program); FAILED(hr)) return hr;
    path = program.substr(0, program.find_last_of(L'\\') + 1) + file;
    return S_OK;
}

}  // namespace corvastel
