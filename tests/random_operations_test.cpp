// Random sequences of the six operations, called through IDispatch as script hosts call
// them, against Wine's registry and against an independent model of the documented
// behaviour (support/registry_model.h): every result, every error, every stored value
// and every variable passed by reference must agree, and the run must not grow the
// process's memory or handles. Each run uses a fixed seed and a fresh one, both printed;
// replay a failure with --seed=N --operations=N.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares
#include <psapi.h>

#include "automation/corvastel_h.h"
#include "platform/ansi.h"
#include "platform/basic_runtime.h"
#include "support/corvastel_dll.h"
#include "support/dispatch_calls.h"
#include "support/registry_model.h"
#include "support/test_key.h"
#include "support/test_main.h"
#include "support/variants.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {

const std::uint64_t kFixedSeed = 20261206;

// A value a host may pass as data, with what Basic's IsNumeric, CStr, CLng and CByte make
// of it, known from how it was made.
struct Datum {
    UniqueVariant value;
    bool numeric;
    Outcome text;
    Outcome asLong;
    Outcome asByte;
};

Outcome text(std::wstring value) { return Outcome::ofText(std::move(value)); }
Outcome number(LONG value) { return Outcome::ofNumber(value); }
Outcome error(LONG value) { return Outcome::ofError(value); }
Outcome byteOf(LONG value) { return value >= 0 && value <= 255 ? number(value) : error(6); }

UniqueVariant decimalVariant(double value)
{
    UniqueVariant variant;
    VARIANT* raw = variant.put();
    VarDecFromR8(value, &V_DECIMAL(raw));
    V_VT(raw) = VT_DECIMAL;
    return variant;
}

class DataMaker {
public:
    explicit DataMaker(std::mt19937_64& random) : random_(random) {}

    Datum make()
    {
        switch (pick(17)) {
        case 0: return {UniqueVariant(), true, text(L""), number(0), number(0)};
        case 1: return {nullVariant(), false, error(94), error(94), error(94)};
        case 2: {
            const auto value = static_cast<SHORT>(pick(65536) - 32768);
            return {shortVariant(value), true, text(std::to_wstring(value)), number(value), byteOf(value)};
        }
        case 3: {
            const auto value = static_cast<LONG>(random_());
            return {longVariant(value), true, text(std::to_wstring(value)), number(value), byteOf(value)};
        }
        case 4: {
            const bool value = pick(2);
            return {boolVariant(value), true, text(value ? L"True" : L"False"), number(value ? -1 : 0),
                    number(value ? 255 : 0)};
        }
        case 5: {
            // Halves round to the even neighbour.
            const struct { double value; const wchar_t* text; Outcome asLong, asByte; } doubles[] = {
                {2.5, L"2.5", number(2), number(2)},        {3.5, L"3.5", number(4), number(4)},
                {-2.5, L"-2.5", number(-2), error(6)},      {0.25, L"0.25", number(0), number(0)},
                {255.5, L"255.5", number(256), error(6)},   {1e10, L"10000000000", error(6), error(6)},
                {1e20, L"1E+20", error(6), error(6)},
            };
            const auto& chosen = doubles[pick(std::size(doubles))];
            return {doubleVariant(chosen.value), true, text(chosen.text), chosen.asLong, chosen.asByte};
        }
        case 6: return {currencyVariant(25000), true, text(L"2.5"), number(2), number(2)};
        case 7: return {decimalVariant(3.5), true, text(L"3.5"), number(4), number(4)};
        case 8: return {dateVariant(43832.0), false, text(L"1/2/2020"), number(43832), error(6)};
        case 9: return {errorVariant(5), false, error(13), error(13), error(13)};
        case 10: return {arrayVariant(), false, error(13), error(13), error(13)};
        case 11: {
            UniqueVariant seven = longVariant(7);
            UniqueVariant word = textVariant(L"x");
            switch (pick(3)) {
            case 0: return {objectVariant(&seven.get()), true, text(L"7"), number(7), number(7)};
            case 1: return {objectVariant(&word.get()), false, text(L"x"), error(13), error(13)};
            default: return {objectVariant(nullptr), false, error(13), error(13), error(13)};
            }
        }
        case 12: {
            const struct { const wchar_t* text; bool numeric; Outcome asLong, asByte; } strings[] = {
                {L"42", true, number(42), number(42)},         {L" 7 ", true, number(7), number(7)},
                {L"2.5", true, number(2), number(2)},          {L"1,000", true, number(1000), error(6)},
                {L"&H1F", true, number(31), number(31)},       {L"abc", false, error(13), error(13)},
                {L"&HFFFFFFFF", true, number(-1), error(6)},   {L"&O37777777777", true, number(-1), error(6)},
                {L"", false, error(13), error(13)},            {L"  hello  ", false, error(13), error(13)},
                {L"caf\u00e9 \u20ac", false, error(13), error(13)}, {L"\u03a9", false, error(13), error(13)},
            };
            const auto& chosen = strings[pick(std::size(strings))];
            return {textVariant(chosen.text), chosen.numeric, text(chosen.text), chosen.asLong, chosen.asByte};
        }
        case 16: return otherNumericType();
        case 13: {
            const std::wstring embedded(L"a\0b", 3);
            return {textVariant(embedded), false, text(embedded), error(13), error(13)};
        }
        default: {
            // Letters only, so never a number: up to 70,000 of them.
            std::wstring letters(pick(4) == 0 ? pick(70001) : pick(300), L'a');
            for (wchar_t& letter : letters) letter = static_cast<wchar_t>(L'a' + pick(26));
            return {textVariant(letters), false, text(letters), error(13), error(13)};
        }
        }
    }

    size_t pick(size_t count) { return static_cast<size_t>(random_() % count); }

private:
    // Every other numeric variant type, holding a whole number that type can hold.
    Datum otherNumericType()
    {
        static const VARTYPE types[] = {VT_UI1, VT_I1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT, VT_R4};
        const VARTYPE type = types[pick(std::size(types))];
        const LONGLONG value = type == VT_I1 ? static_cast<LONGLONG>(pick(256)) - 128
                             : type == VT_UI1 ? static_cast<LONGLONG>(pick(256))
                             : type == VT_R4 ? static_cast<LONGLONG>(pick(2001)) - 1000
                             : static_cast<LONGLONG>(random_() % (1ULL << 34)) - (type == VT_I8 || type == VT_INT ? (1LL << 33) : 0);
        UniqueVariant variant;
        VARIANT* raw = variant.put();
        switch (type) {
        case VT_UI1: V_UI1(raw) = static_cast<BYTE>(value); break;
        case VT_I1: V_I1(raw) = static_cast<CHAR>(value); break;
        case VT_UI2: V_UI2(raw) = static_cast<USHORT>(value); break;
        case VT_UI4: V_UI4(raw) = static_cast<ULONG>(value); break;
        case VT_I8: V_I8(raw) = value; break;
        case VT_UI8: V_UI8(raw) = static_cast<ULONGLONG>(value); break;
        case VT_INT: V_INT(raw) = static_cast<INT>(value); break;
        case VT_UINT: V_UINT(raw) = static_cast<UINT>(value); break;
        default: V_R4(raw) = static_cast<FLOAT>(value); break;
        }
        V_VT(raw) = type;
        // What the variant really holds, after the narrowing above.
        LONGLONG held = 0;
        switch (type) {
        case VT_UI1: held = V_UI1(raw); break;
        case VT_I1: held = V_I1(raw); break;
        case VT_UI2: held = V_UI2(raw); break;
        case VT_UI4: held = V_UI4(raw); break;
        case VT_I8: held = V_I8(raw); break;
        case VT_UI8: held = static_cast<LONGLONG>(V_UI8(raw)); break;
        case VT_INT: held = V_INT(raw); break;
        case VT_UINT: held = V_UINT(raw); break;
        default: held = static_cast<LONGLONG>(V_R4(raw)); break;
        }
        const bool fitsLong = held >= INT32_MIN && held <= INT32_MAX;
        return {std::move(variant), true, text(std::to_wstring(held)),
                fitsLong ? number(static_cast<LONG>(held)) : error(6), byteOf(fitsLong ? static_cast<LONG>(held) : -1)};
    }

    std::mt19937_64& random_;
};

class Driver {
public:
    Driver(IDispatch* object, std::uint64_t seed) : object_(object), seed_(seed), random_(seed), data_(random_)
    {
        for (const wchar_t* name : {L"regDelete_Sub_Key", L"regDoes_Key_Exist", L"regQuery_A_Key",
                                    L"regCreate_Key_Value", L"regCreate_A_Key", L"regDelete_A_Key"}) {
            DISPID id = DISPID_UNKNOWN;
            dispatchIdOf(object_, name, id);
            ids_.push_back(id);
        }
    }

    void run(long operations)
    {
        for (operation_ = 0; operation_ < operations && failures_ < 10; ++operation_) {
            step();
            if (operation_ % 2000 == 1999) compareWholeTree();
        }
        compareWholeTree();
        std::printf("seed %llu: %ld operations, %ld mismatches\n", static_cast<unsigned long long>(seed_), operation_,
                    failures_);
    }

private:
    enum Method { DeleteSubKey, KeyExists, Query, CreateValue, CreateKey, DeleteKey };

    std::wstring component()
    {
        // The ANSI functions pass a path through a buffer of MAX_PATH characters, so valid
        // paths stay well below that; one component is longer than a key name may be.
        static const std::wstring components[] = {L"a", L"A", L"b c", L"k\u00e9", L"\u03a9mega", L"d",
                                                  std::wstring(60, L'n'), std::wstring(256, L'm')};
        return components[data_.pick(std::size(components))];
    }
    std::wstring relativePath()
    {
        std::wstring path = component();
        for (size_t depth = data_.pick(3); depth > 0; --depth) path += L"\\" + component();
        return path;
    }
    std::wstring valueName()
    {
        static const std::wstring names[] = {L"", L"v", L"V", L"caf\u00e9", L"\u03a9", std::wstring(255, L'w'),
                                             std::wstring(L"nul\0after", 9)};
        return names[data_.pick(std::size(names))];
    }
    std::wstring fullPath(const std::wstring& relative) const { return key_.path() + L"\\" + relative; }

    // An argument as a host passes it: the value itself, or a variable holding it, which
    // holds the same afterwards unless the operation sets it (to what `set` describes).
    VARIANT argument(UniqueVariant& value, std::string set = {})
    {
        if (data_.pick(4) == 0) {
            const std::string after = set.empty() ? describe(value.get()) : set;
            variables_.push_back({std::make_unique<UniqueVariant>(std::move(value)), after});
            return byRef(*variables_.back().value);
        }
        held_.push_back(std::move(value));
        return held_.back().get();
    }

    // A data type as hosts pass it: a Long, an Integer, text, or a Double that rounds to it.
    UniqueVariant typeArgument(LONG type)
    {
        switch (data_.pick(4)) {
        case 0: return shortVariant(static_cast<SHORT>(type));
        case 1: return textVariant(std::to_wstring(type));
        case 2: return doubleVariant(type + 0.375);
        default: return longVariant(type);
        }
    }

    void expectVariablesAsSet()
    {
        for (const Variable& variable : variables_) {
            if (describe(variable.value->get()) == variable.after) continue;
            ++failures_;
            ADD_FAILURE() << "seed " << seed_ << ", operation " << operation_ << ": a variable passed by reference holds "
                          << describe(variable.value->get()) << ", expected " << variable.after;
        }
    }

    Outcome call(Method method, std::vector<VARIANT> arguments)
    {
        UniqueVariant result;
        Exception exception;
        const HRESULT hr = invokeMethod(object_, ids_[method], std::move(arguments), result, exception);
        held_.clear();
        expectVariablesAsSet();
        if (hr == DISP_E_EXCEPTION) return Outcome::ofError(exception.scode & 0xFFFF);
        if (FAILED(hr)) return Outcome::ofError(hr);
        const VARIANT& value = result.get();
        switch (V_VT(&value)) {
        case VT_EMPTY: return Outcome();
        case VT_BSTR: return Outcome::ofText(std::wstring(view(V_BSTR(&value))));
        case VT_I4: return Outcome::ofNumber(V_I4(&value));
        case VT_BOOL: return Outcome::ofBoolean(V_BOOL(&value) != VARIANT_FALSE);
        default: return Outcome::ofText(L"<variant type " + std::to_wstring(V_VT(&value)) + L">");
        }
    }

    void expect(const Outcome& actual, const Outcome& expected, const std::string& what)
    {
        if (actual == expected) return;
        ++failures_;
        ADD_FAILURE() << "seed " << seed_ << ", operation " << operation_ << ": " << what << "\n  got      "
                      << describe(actual) << "\n  expected " << describe(expected);
    }

    void expectStored(const std::wstring& path, const std::wstring& name, const std::string& what)
    {
        const auto inModel = model_.value(path, name);
        const auto inRegistry = key_.read(toAnsi(name), toAnsi(path));
        if (inModel.has_value() == inRegistry.has_value() &&
            (!inModel || (inModel->type == inRegistry->type && inModel->bytes == inRegistry->bytes))) {
            return;
        }
        ++failures_;
        ADD_FAILURE() << "seed " << seed_ << ", operation " << operation_ << ": " << what << ": stored value differs"
                      << (inModel ? "" : " (the model has none)") << (inRegistry ? "" : " (the registry has none)");
    }

    void step()
    {
        variables_.clear();
        UniqueVariant root = longVariant(rootKey());
        const bool ours = V_I4(&root.get()) == kCurrentUser;
        const std::wstring relative = relativePath();
        UniqueVariant path = textVariant(fullPath(relative));
        switch (data_.pick(ours ? 7 : 3)) {
        case 0: {
            const std::wstring name = valueName();
            UniqueVariant nameArgument = textVariant(name);
            expect(call(Query, {argument(root), argument(path), argument(nameArgument)}),
                   ours ? RegistryModel::queried(model_.value(relative, name)) : text(L""), "query");
            break;
        }
        case 1:
            expect(call(KeyExists, {argument(root), argument(path)}),
                   Outcome::ofBoolean(ours && model_.keyExists(relative)), "key exists");
            break;
        case 2: {
            const std::wstring sub = component();
            UniqueVariant subArgument = textVariant(sub);
            const std::wstring child = relative + L"\\" + sub;
            const bool deletes = ours && model_.keyExists(relative) && model_.keyExists(child) && !model_.hasSubKeys(child);
            expect(call(DeleteKey, {argument(root), argument(path), argument(subArgument)}),
                   Outcome::ofBoolean(deletes), "delete key");
            if (deletes) model_.deleteKey(child);
            break;
        }
        case 3: createValue(root, path, relative); break;
        case 4:
            expect(call(CreateKey, {argument(root), argument(path)}), Outcome(), "create key");
            model_.createKey(relative);
            expect(Outcome::ofBoolean(key_.hasSubKey(toAnsi(relative))),
                   Outcome::ofBoolean(model_.keyExists(relative)), "created key");
            break;
        case 5: {
            const std::wstring name = valueName();
            UniqueVariant nameArgument = textVariant(name);
            expect(call(DeleteSubKey, {argument(root), argument(path), argument(nameArgument)}), Outcome(),
                   "delete value");
            model_.deleteValue(relative, name);
            expectStored(relative, name, "deleted value");
            break;
        }
        default: seedRawValue(relative); break;
        }
    }

    LONG rootKey()
    {
        static const LONG others[] = {0, 0x12345678, -1, static_cast<LONG>(0x80000000), static_cast<LONG>(0x80000002),
                                      static_cast<LONG>(0x80000003), static_cast<LONG>(0x80000005)};
        return data_.pick(5) == 0 ? others[data_.pick(std::size(others))] : kCurrentUser;
    }

    void createValue(UniqueVariant& root, UniqueVariant& path, const std::wstring& relative)
    {
        const bool ours = V_I4(&root.get()) == kCurrentUser;
        const std::wstring name = valueName();
        UniqueVariant nameArgument = textVariant(name);
        Datum datum = data_.make();
        static const LONG types[] = {0, 0, 1, 2, 3, 4, 4, 7, 5, 11, 0x1234, -1};
        const LONG given = types[data_.pick(std::size(types))];
        const LONG chosen = given == 0 ? (datum.numeric ? REG_DWORD : REG_SZ) : given;

        std::vector<VARIANT> arguments{argument(root), argument(path), argument(nameArgument), argument(datum.value)};
        // Left out, passed as missing, or given; a variable given 0 receives the chosen type.
        UniqueVariant type = typeArgument(given);
        UniqueVariant missing = errorVariant(DISP_E_PARAMNOTFOUND);
        switch (given == 0 ? data_.pick(3) : 2) {
        case 0: break;
        case 1: arguments.push_back(argument(missing)); break;
        default: arguments.push_back(argument(type, given == 0 ? "I4 " + std::to_string(chosen) : "")); break;
        }

        const Outcome& converted = chosen == REG_BINARY ? datum.asByte : chosen == REG_DWORD ? datum.asLong : datum.text;
        // The key path is created before the data is converted, so it stays when that fails.
        const bool keyCreated = ours && model_.createKey(relative);
        expect(call(CreateValue, std::move(arguments)),
               converted.kind == Outcome::Error ? converted : Outcome(), "create value of type " + std::to_string(chosen));
        if (!keyCreated || converted.kind == Outcome::Error) return;
        std::string bytes;
        if (chosen == REG_BINARY) {
            bytes.assign(1, static_cast<char>(converted.number));
        } else if (chosen == REG_DWORD) {
            bytes.assign(reinterpret_cast<const char*>(&converted.number), 4);
        } else {
            bytes = toAnsi(trimSpaces(converted.text)) + '\0';
        }
        model_.setValue(relative, name, {static_cast<DWORD>(chosen), bytes});
        expectStored(relative, name, "created value");
    }

    // Registry content that anyone may have written: any type, any size, any bytes.
    void seedRawValue(const std::wstring& relative)
    {
        if (!RegistryModel::canonical(relative)) return;
        static const DWORD types[] = {0, 1, 1, 1, 2, 3, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 0x1234};
        const DWORD type = types[data_.pick(std::size(types))];
        static const size_t sizes[] = {0, 1, 2, 3, 4, 5, 8, 300, 32767, 32768, 70000};
        const size_t size = data_.pick(3) == 0 ? data_.pick(70001) : sizes[data_.pick(std::size(sizes))];
        std::string bytes(size, '\0');
        for (char& byte : bytes) byte = static_cast<char>(data_.pick(8) == 0 ? 0 : 1 + data_.pick(255));
        if (type == REG_SZ && data_.pick(2) == 0) std::fill(bytes.begin(), bytes.end(), 'x');  // NUL-free runs
        const std::wstring name = valueName();
        key_.write(toAnsi(name), type, bytes, toAnsi(relative));
        model_.createKey(relative);
        model_.setValue(relative, name, {type, bytes});
        expectStored(relative, name, "seeded value");
    }

    // Every key and value of the model against the registry, and no key or value more.
    void compareWholeTree()
    {
        for (const auto& [path, values] : model_.keys()) {
            UniqueHkey key;
            const std::string ansiPath = toAnsi(key_.path() + (path.empty() ? L"" : L"\\" + path));
            if (RegOpenKeyExA(HKEY_CURRENT_USER, ansiPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
                expect(Outcome::ofBoolean(false), Outcome::ofBoolean(true), "key in the registry");
                continue;
            }
            DWORD subKeys = 0, valueCount = 0;
            RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &valueCount, nullptr,
                             nullptr, nullptr, nullptr);
            LONG children = 0;
            for (const auto& other : model_.keys()) {
                const std::wstring prefix = path.empty() ? L"" : path + L"\\";
                if (other.first.size() > prefix.size() && other.first.compare(0, prefix.size(), prefix) == 0 &&
                    other.first.find(L'\\', prefix.size()) == std::wstring::npos && !other.first.empty()) {
                    ++children;
                }
            }
            expect(Outcome::ofNumber(static_cast<LONG>(subKeys)), Outcome::ofNumber(children), "subkeys of a key");
            expect(Outcome::ofNumber(static_cast<LONG>(valueCount)), Outcome::ofNumber(static_cast<LONG>(values.size())),
                   "values of a key");
        }
    }

    IDispatch* object_;
    std::uint64_t seed_;
    std::mt19937_64 random_;
    DataMaker data_;
    TestKey key_;
    RegistryModel model_;
    std::vector<DISPID> ids_;
    std::vector<UniqueVariant> held_;
    struct Variable {
        std::unique_ptr<UniqueVariant> value;
        std::string after;
    };
    std::vector<Variable> variables_;
    long operation_ = 0;
    long failures_ = 0;
};

// The process's committed private memory (Wine reports no PrivateUsage), and its open
// handles where the platform counts them; Wine does not, and there the slot a new handle
// takes stands in, which moves up only while more handles are held.
struct Usage {
    LONGLONG memory;
    LONG handles;
};

Usage usage()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) {
        return {static_cast<LONGLONG>(counters.PagefileUsage), static_cast<LONG>(count)};
    }
    const UniqueKernelHandle probe(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return {static_cast<LONGLONG>(counters.PagefileUsage), static_cast<LONG>(reinterpret_cast<INT_PTR>(probe.get()) / 4)};
}

// The fixed seed's run and the fresh one also bring caches and heaps to their working
// size; the fixed seed's operations once more must then leave memory and handles where
// they found them.
TEST(RandomOperations, AgreeWithTheModelAndLeakNothing)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const ComPtr<IClassFactory> factory = corvastelClassFactory();
        ASSERT_TRUE(factory);
        ComPtr<IDispatch> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);

        const auto operations = static_cast<long>(numericOption("operations", 2000));
        if (const std::uint64_t seed = numericOption("seed", 0)) {
            Driver(object.Get(), seed).run(operations);
        } else {
            const auto fresh = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
            Driver(object.Get(), kFixedSeed).run(operations / 2);
            Driver(object.Get(), fresh).run(operations - operations / 2);
            const Usage before = usage();
            Driver(object.Get(), kFixedSeed).run(operations / 4);
            const Usage after = usage();
            std::printf("committed memory moved %lld bytes, open handles %ld\n", after.memory - before.memory,
                        after.handles - before.handles);
            EXPECT_LE(after.memory - before.memory, 256 * 1024) << "committed memory grew";
            EXPECT_LE(after.handles - before.handles, 0) << "open handles grew";
        }
    }
    CoUninitialize();
}

}  // namespace
}  // namespace corvastel::testing
