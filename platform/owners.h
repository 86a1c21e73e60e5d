#pragma once
// RAII owners for the automation resources this code holds. Each frees exactly one
// kind of resource; all are movable and none is copyable.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <new>
#include <string_view>
#include <utility>

namespace corvastel {

// Owns one handle, released by Release when the owner lets go of it.
template <typename Handle, auto Release>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle owned) noexcept : value_(owned) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept { reset(other.release()); return *this; }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return value_; }
    Handle* put() noexcept { reset(); return &value_; }
    Handle release() noexcept { return std::exchange(value_, nullptr); }
    void reset(Handle owned = nullptr) noexcept
    {
        if (Handle old = std::exchange(value_, owned)) Release(old);
    }

private:
    Handle value_ = nullptr;
};

using UniqueBstr = UniqueHandle<BSTR, &SysFreeString>;
using UniqueHkey = UniqueHandle<HKEY, &RegCloseKey>;
using UniqueModule = UniqueHandle<HMODULE, &FreeLibrary>;
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;
using UniqueFile = UniqueHandle<FILE*, &fclose>;

// An empty variant is made and dropped without a call into the automation runtime, as
// VariantInit and VariantClear would leave it: Invoke holds one for each parameter of
// every call, most of them never used.
class UniqueVariant {
public:
    UniqueVariant() noexcept { V_VT(&value_) = VT_EMPTY; }
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
    UniqueVariant& operator=(UniqueVariant&& other) noexcept
    {
        reset();
        value_ = other.release();
        return *this;
    }
    ~UniqueVariant() { reset(); }

    const VARIANT& get() const noexcept { return value_; }
    // The owned variant itself, for a callee that reads or changes it in place.
    VARIANT* addressof() noexcept { return &value_; }
    VARIANT* put() noexcept { reset(); return &value_; }
    VARIANT release() noexcept
    {
        VARIANT released = value_;
        VariantInit(&value_);
        return released;
    }
    void reset() noexcept
    {
        if (V_VT(&value_) != VT_EMPTY) VariantClear(&value_);
    }

private:
    VARIANT value_;
};

// An automation string may be NULL, which automation defines as the empty string.
inline std::wstring_view view(BSTR text) noexcept
{
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}

inline UniqueBstr allocateBstr(std::wstring_view text)
{
    UniqueBstr copy(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!copy.get()) throw std::bad_alloc();
    return copy;
}

inline UniqueVariant textVariant(std::wstring_view text)
{
    UniqueBstr copy = allocateBstr(text);
    UniqueVariant variant;
    VARIANT* value = variant.put();
    V_BSTR(value) = copy.release();
    V_VT(value) = VT_BSTR;
    return variant;
}

inline UniqueVariant longVariant(LONG number)
{
    UniqueVariant variant;
    VARIANT* value = variant.put();
    V_I4(value) = number;
    V_VT(value) = VT_I4;
    return variant;
}

}  // namespace corvastel
