// A long run of mixed operations in one process, through the interface as hosts call it,
// errors included: the process's private memory and open handles at the end must be
// where they were after warming up. --operations=N sets the length; the drift is printed.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares
#include <psapi.h>

#include "automation/corvastel_h.h"
#include "support/corvastel_dll.h"
#include "platform/owners.h"
#include "support/test_key.h"
#include "support/test_main.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstdio>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {


// The process's committed private memory (Wine reports no PrivateUsage).
SIZE_T committedBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The count of open handles where the platform reports one; Wine reports none, and there
// the slot a new handle takes, which moves up only while more handles are held.
LONG openHandles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return static_cast<LONG>(count);
    const HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return static_cast<LONG>(reinterpret_cast<INT_PTR>(probe) / 4);
}

ComPtr<_clsRegistry> newObject(IClassFactory* factory)
{
    ComPtr<_clsRegistry> object;
    factory->CreateInstance(nullptr, IID_PPV_ARGS(&object));
    return object;
}

class Soak {
public:
    Soak(IClassFactory* factory, const TestKey& key) : factory_(factory), path_(allocateBstr(key.path())) {}

    void run(long operations)
    {
        for (long operation = 0; operation < operations; ++operation) step(operation);
    }

private:
    void step(long operation)
    {
        if (operation % 1000 == 0) object_ = newObject(factory_);
        UniqueVariant result;
        RegDataType type = static_cast<RegDataType>(0);
        switch (operation % 8) {
        case 0: object_->regCreate_Key_Value(kCurrentUserRoot, path_.get(), text_.get(), greeting_.addressof(), &type); break;
        case 1: object_->regQuery_A_Key(kCurrentUserRoot, path_.get(), text_.get(), result.put()); break;
        case 2: object_->regCreate_Key_Value(kCurrentUserRoot, path_.get(), number_.get(), answer_.addressof(), &type); break;
        case 3: object_->regQuery_A_Key(kCurrentUserRoot, path_.get(), number_.get(), result.put()); break;
        case 4: {
            RegRootKey root = kCurrentUserRoot;
            BSTR path = path_.get();
            VARIANT_BOOL exists;
            object_->regDoes_Key_Exist(&root, &path, &exists);
            break;
        }
        case 5: {
            // The error path: error information is created and set every time.
            type = static_cast<RegDataType>(3);
            object_->regCreate_Key_Value(kCurrentUserRoot, path_.get(), number_.get(), tooBig_.addressof(), &type);
            break;
        }
        case 6: object_->regDelete_Sub_Key(kCurrentUserRoot, path_.get(), text_.get(), result.put()); break;
        default: {
            object_->regCreate_A_Key(kCurrentUserRoot, child_.get(), result.put());
            VARIANT_BOOL deleted;
            object_->regDelete_A_Key(kCurrentUserRoot, path_.get(), childName_.get(), &deleted);
            break;
        }
        }
    }

    IClassFactory* factory_;
    ComPtr<_clsRegistry> object_;
    UniqueBstr path_;
    UniqueBstr child_ = allocateBstr(std::wstring(view(path_.get())) + L"\\child");
    UniqueBstr childName_ = allocateBstr(L"child");
    UniqueBstr text_ = allocateBstr(L"text");
    UniqueBstr number_ = allocateBstr(L"number");
    UniqueVariant greeting_ = textVariant(L"  hello  ");
    UniqueVariant answer_ = textVariant(L"42");
    UniqueVariant tooBig_ = longVariant(300);
};

TEST(Soak, MemoryAndHandlesDoNotGrow)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const ComPtr<IClassFactory> factory = corvastelClassFactory();
        ASSERT_TRUE(factory);
        const TestKey key;
        Soak soak(factory.Get(), key);

        soak.run(10000);  // warm-up: caches and heaps reach their working size
        const SIZE_T memoryBefore = committedBytes();
        const LONG handlesBefore = openHandles();
        const auto operations = static_cast<long>(numericOption("operations", 100000));
        const DWORD started = GetTickCount();
        soak.run(operations);
        const LONGLONG memoryDrift = static_cast<LONGLONG>(committedBytes()) - static_cast<LONGLONG>(memoryBefore);
        const LONG handleDrift = openHandles() - handlesBefore;
        std::printf("%ld operations in %lu ms: committed memory moved %lld bytes, open handles %ld\n", operations,
                    static_cast<unsigned long>(GetTickCount() - started), memoryDrift, handleDrift);
        EXPECT_LE(memoryDrift, 512 * 1024) << "committed memory grew";
        EXPECT_LE(handleDrift, 0) << "open handles grew";
    }
    CoUninitialize();
}

}  // namespace
}  // namespace corvastel::testing
