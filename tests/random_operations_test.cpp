// Random sequences of the six operations against Wine's registry and against an
// independent model of the documented behaviour. Most are called through IDispatch as
// script hosts call them; the others on the registry class itself, whose registry calls
// then fail now and then, or find their value changed by another writer between the
// reads of its size and of its data. Every result, error, stored value and variable
// passed by reference must agree, every handle opened must be closed once, and the run
// must not grow the process's memory or handles. Each run uses a fixed seed and a fresh
// one, both printed first; replay a failure with CORVASTEL_SEED=N CORVASTEL_OPERATIONS=N
// in the environment.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "conversion/basic_runtime.h"
#include "platform/ansi.h"
#include "registry/registry_operations.h"
#include "support/client.h"
#include "support/host_data.h"
#include "support/test_key.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <set>

using Microsoft::WRL::ComPtr;

namespace corvastel::testing {
namespace {

std::wstring upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The code page conversions of text the tests make, which always fits them.
std::string ansi(std::wstring_view text)
{
    std::string converted;
    EXPECT_EQ(toAnsi(text, converted), S_OK);
    return converted;
}
std::wstring wide(std::string_view text)
{
    std::wstring converted;
    EXPECT_EQ(fromAnsi(text, converted), S_OK);
    return converted;
}

// A name travels as ANSI and stops at its first NUL, like any C string.
std::wstring stored(const std::wstring& name)
{
    const std::wstring converted = wide(ansi(name));
    return converted.substr(0, converted.find(L'\0'));
}

// What the six operations do to the registry: keys and values as the ANSI functions see
// them, names compared without regard to case. Key paths are relative to the model's own
// key; values are keyed by storedName.
class RegistryModel {
public:
    // A key path as the registry stores it, in upper case; nullopt when a component is
    // longer than the registry allows.
    static std::optional<std::wstring> canonical(const std::wstring& path)
    {
        const std::wstring whole = stored(path);
        std::wstring result;
        for (size_t start = 0; start <= whole.size();) {
            const size_t end = std::min(whole.find(L'\\', start), whole.size());
            const std::wstring component = whole.substr(start, end - start);
            if (component.size() > 255) return std::nullopt;
            if (!component.empty()) result += (result.empty() ? L"" : L"\\") + upper(component);
            start = end + 1;
        }
        return result;
    }
    static std::wstring storedName(const std::wstring& name) { return upper(stored(name)); }

    bool keyExists(const std::wstring& path) const
    {
        const auto key = canonical(path);
        return key && keys_.count(*key);
    }
    // Creates the key and every missing key above it; false when the path is invalid.
    bool createKey(const std::wstring& path)
    {
        const auto key = canonical(path);
        for (size_t end = 0; key && end != std::wstring::npos;) {
            end = key->find(L'\\', end + 1);
            keys_[key->substr(0, end)];
        }
        return key.has_value();
    }
    // The keys directly below a stored key path.
    size_t subKeyCount(const std::wstring& key) const
    {
        const std::wstring prefix = key.empty() ? key : key + L"\\";
        return std::count_if(keys_.begin(), keys_.end(), [&](const auto& entry) {
            return entry.first.size() > prefix.size() && entry.first.compare(0, prefix.size(), prefix) == 0 &&
                   entry.first.find(L'\\', prefix.size()) == std::wstring::npos;
        });
    }
    void deleteKey(const std::wstring& path) { keys_.erase(*canonical(path)); }
    std::optional<RawValue> value(const std::wstring& path, const std::wstring& name) const
    {
        const auto key = canonical(path);
        const auto values = key ? keys_.find(*key) : keys_.end();
        if (values == keys_.end()) return std::nullopt;
        const auto found = values->second.find(storedName(name));
        return found == values->second.end() ? std::nullopt : std::optional<RawValue>(found->second);
    }
    void setValue(const std::wstring& path, const std::wstring& name, RawValue value)
    {
        keys_[*canonical(path)][storedName(name)] = std::move(value);
    }
    void deleteValue(const std::wstring& path, const std::wstring& name)
    {
        if (const auto key = canonical(path); key && keys_.count(*key)) keys_[*key].erase(storedName(name));
    }

    // What regQuery_A_Key returns for a stored value, or for none.
    static Outcome queried(const std::optional<RawValue>& stored)
    {
        if (stored && stored->type == REG_SZ) {
            // Cut at the first NUL, whose 1-based position must fit a 16-bit Integer.
            const std::wstring text = wide(stored->bytes);
            const size_t nul = text.find(L'\0');
            if (nul != std::wstring::npos && nul + 1 > 32767) return outcome::kOverflow;
            return outcome::text(text.substr(0, nul));
        }
        if (!stored || (stored->type != REG_DWORD && stored->type != REG_BINARY) || stored->bytes.size() > 4) {
            return outcome::text(L"");
        }
        ULONG number = 0;
        for (size_t i = 0; i < stored->bytes.size(); ++i) {
            number |= static_cast<ULONG>(static_cast<unsigned char>(stored->bytes[i])) << (8 * i);
        }
        return outcome::number(static_cast<LONG>(number));
    }
    const std::map<std::wstring, std::map<std::wstring, RawValue>>& tree() const { return keys_; }

private:
    std::map<std::wstring, std::map<std::wstring, RawValue>> keys_{{L"", {}}};
};

// Text as a string value stores it: without leading and trailing spaces.
std::wstring withoutOuterSpaces(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L' ');
    return first == std::wstring::npos ? L"" : text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The registry as the registry class reaches it, counting the handles that its calls
// open and close. While faults are on, a call fails one time in eight before it reaches
// the registry (a failed close still closes), and beforeDataRead runs before a value's
// data is read, as another writer could.
class FaultyRegistry final : public RegistryApi {
public:
    explicit FaultyRegistry(std::mt19937_64& random) : random_(random) {}

    bool faults = false;
    std::function<void()> beforeDataRead;
    std::string failed;        // the first call that failed since this was cleared, close aside
    std::multiset<HKEY> live;  // opened and not yet closed
    size_t opens = 0;          // since this was cleared
    size_t strayCloses = 0;    // of a handle that was not open

    LONG open(HKEY parent, const char* path, HKEY* key) override
    {
        ++opens;
        return opened(key, fails("open") ? kDenied : real_.open(parent, path, key));
    }
    LONG create(HKEY parent, const char* path, HKEY* key) override { return opened(key, fails("create") ? kDenied : real_.create(parent, path, key)); }
    LONG query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        if (data && beforeDataRead) beforeDataRead();
        return fails("query") ? kDenied : real_.query(key, name, type, data, size);
    }
    LONG set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return fails("set") ? kDenied : real_.set(key, name, type, data, size);
    }
    LONG deleteValue(HKEY key, const char* name) override { return fails("deleteValue") ? kDenied : real_.deleteValue(key, name); }
    LONG deleteKey(HKEY key, const char* subKey) override { return fails("deleteKey") ? kDenied : real_.deleteKey(key, subKey); }
    LONG close(HKEY key) override
    {
        const auto found = live.find(key);
        strayCloses += found == live.end() && key;
        if (found != live.end()) live.erase(found);
        const LONG closed = real_.close(key);
        return chance() ? kDenied : closed;
    }

private:
    static constexpr LONG kDenied = ERROR_ACCESS_DENIED;
    bool chance() { return faults && random_() % 8 == 0; }
    bool fails(const char* call)
    {
        const bool failing = chance();
        if (failing && failed.empty()) failed = call;
        return failing;
    }
    LONG opened(HKEY* key, LONG status)
    {
        if (status == ERROR_SUCCESS) live.insert(*key);
        return status;
    }

    RegistryApi& real_ = win32Registry();
    std::mt19937_64& random_;
};

const std::uint64_t kFixedSeed = 20261206;

class Driver {
public:
    Driver(IDispatch* object, std::uint64_t seed) : object_(object), seed_(seed), random_(seed)
    {
        // Any case will do.
        for (const wchar_t* name : {L"regDelete_Sub_Key", L"REGDOES_KEY_EXIST", L"regquery_a_key", L"regCreate_Key_Value",
                                    L"RegCreate_A_Key", L"regDelete_A_Key"}) {
            DISPID id = DISPID_UNKNOWN;
            EXPECT_EQ(dispatchIdOf(object_, name, id), S_OK);
            ids_.push_back(id);
        }
    }

    void run(long operations)
    {
        std::printf("seed %llu: %ld operations\n", static_cast<unsigned long long>(seed_), operations);
        std::fflush(stdout);  // before a crash can lose it
        for (operation_ = 0; operation_ < operations && failures_ < 10; ++operation_) {
            step();
            if (operation_ % 2000 == 1999) compareWholeTree();
        }
        compareWholeTree();
    }

private:
    enum Method { DeleteSubKey, KeyExists, Query, CreateValue, CreateKey, DeleteKey };

    size_t pick(size_t count) { return static_cast<size_t>(random_() % count); }

    // Data to write: a row of the host data table, a whole number, or letters.
    Datum datum()
    {
        switch (pick(8)) {
        case 0: return integer();
        case 1:
        case 2: {
            // Letters only, so never a number: up to 70,000 of them.
            std::wstring letters(pick(4) == 0 ? pick(70001) : pick(300), L'a');
            for (wchar_t& letter : letters) letter = static_cast<wchar_t>(L'a' + pick(26));
            return {textVariant(letters), false, outcome::text(letters), outcome::kMismatch, outcome::kMismatch};
        }
        default: {
            const Datum& row = table_[pick(table_.size())];
            return {copyOf(row.value.get()), row.numeric, row.text, row.asLong, row.asByte};
        }
        }
    }
    // A whole number of any numeric type, as much of it as the type holds.
    Datum integer()
    {
        static const VARTYPE types[] = {VT_I2, VT_I4, VT_UI1, VT_I1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT, VT_R4};
        const VARTYPE type = types[pick(std::size(types))];
        const LONGLONG value = static_cast<LONGLONG>(random_() % (1ULL << 34)) - (type == VT_UI8 ? 0 : 1LL << 33);
        UniqueVariant variant = type == VT_R4 ? scalarVariant(VT_R4, static_cast<FLOAT>(value % 1000))
                                              : scalarVariant(type, value);
        UniqueVariant held;
        VariantChangeType(held.put(), variant.addressof(), 0, VT_I8);
        const LONGLONG whole = V_I8(&held.get());
        const auto fits = [whole](LONGLONG low, LONGLONG high) {
            return whole >= low && whole <= high ? outcome::number(static_cast<LONG>(whole)) : outcome::kOverflow;
        };
        return {std::move(variant), true, outcome::text(std::to_wstring(whole)), fits(INT32_MIN, INT32_MAX), fits(0, 255)};
    }

    std::wstring component()
    {
        // The ANSI functions pass a path through a buffer of MAX_PATH characters, so valid
        // paths stay well below that; one component is longer than a key name may be.
        static const std::wstring components[] = {L"a", L"A", L"b c", L"k\u00e9", L"\u03a9mega", L"d",
                                                  std::wstring(60, L'n'), std::wstring(256, L'm')};
        return components[pick(std::size(components))];
    }
    std::wstring relativePath()
    {
        std::wstring path = component();
        for (size_t depth = pick(3); depth > 0; --depth) path += L"\\" + component();
        return path;
    }
    std::wstring valueName()
    {
        static const std::wstring names[] = {L"", L"v", L"V", L"caf\u00e9", L"\u03a9", std::wstring(255, L'w'),
                                             std::wstring(L"nul\0after", 9)};
        return names[pick(std::size(names))];
    }

    // An argument as a host passes it: the value itself, or a variable holding it, which
    // holds the same afterwards unless the operation sets it (to what `set` describes).
    VARIANT argument(UniqueVariant value, std::string set = {})
    {
        if (!direct_ && pick(4) == 0) {
            const std::string after = set.empty() ? describe(value.get()) : set;
            variables_.push_back({std::make_unique<UniqueVariant>(std::move(value)), after});
            return byRef(*variables_.back().value);
        }
        held_.push_back(std::move(value));
        return held_.back().get();
    }
    VARIANT text(const std::wstring& value) { return argument(textVariant(value)); }
    // A root key as hosts pass it: a Long, or by name now and then as text ("-2147483647").
    VARIANT rootArgument(LONG root) { return argument(!direct_ && pick(4) == 0 ? textVariant(std::to_wstring(root)) : longVariant(root)); }

    // A data type as hosts pass it: a Long, an Integer, text, or a Double that rounds to it.
    UniqueVariant typeArgument(LONG type)
    {
        switch (pick(4)) {
        case 0: return scalarVariant<SHORT>(VT_I2, static_cast<SHORT>(type));
        case 1: return textVariant(std::to_wstring(type));
        case 2: return scalarVariant(VT_R8, type + 0.375);
        default: return longVariant(type);
        }
    }

    Outcome call(Method method, std::vector<VARIANT> arguments)
    {
        UniqueVariant result;
        Exception exception;
        if (!direct_ && pick(16) == 0) failHalfWay(method, arguments);
        HRESULT hr = direct_ ? callClass(method, arguments, result) : invokeByName(method, arguments, result, exception);
        if (hr == DISP_E_EXCEPTION) hr = exception.scode;
        held_.clear();
        for (const Variable& variable : variables_) {
            expect(describe(variable.value->get()), variable.after, "a variable passed by reference");
        }
        variables_.clear();
        if (!registry_.live.empty() || registry_.strayCloses) mismatch("a handle left open, or closed that was not open");
        if (FAILED(hr)) return outcome::error(HRESULT_FACILITY(hr) == FACILITY_CONTROL ? HRESULT_CODE(hr) : hr);
        const VARIANT& value = result.get();
        switch (V_VT(&value)) {
        case VT_EMPTY: return Outcome();
        case VT_BSTR: return outcome::text(std::wstring(view(V_BSTR(&value))));
        case VT_I4: return outcome::number(V_I4(&value));
        case VT_BOOL: return outcome::boolean(V_BOOL(&value) != VARIANT_FALSE);
        default: return outcome::text(L"<variant type " + std::to_wstring(V_VT(&value)) + L">");
        }
    }

    // A call by name as hosts make it: now and then its last arguments named, in any order.
    // DISPPARAMS holds the named arguments first, then the positional ones from the last to
    // the first; whatever the call does, it holds the same afterwards.
    HRESULT invokeByName(Method method, const std::vector<VARIANT>& arguments, UniqueVariant& result, Exception& exception)
    {
        const auto count = static_cast<UINT>(arguments.size());
        const auto named = static_cast<UINT>(pick(3) == 0 ? pick(count + 1) : 0);
        std::vector<DISPID> parameters(named);
        std::iota(parameters.begin(), parameters.end(), static_cast<DISPID>(count - named));
        std::shuffle(parameters.begin(), parameters.end(), random_);
        std::vector<VARIANT> passed(count);
        for (UINT index = 0; index < count; ++index) {
            passed[index] = arguments[index < named ? parameters[index] : count - 1 - index];
        }
        const std::vector<VARIANT> before = passed;
        DISPPARAMS params{passed.data(), parameters.data(), count, named};
        const HRESULT hr = object_->Invoke(ids_[method], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                           result.put(), &exception, nullptr);
        if (std::memcmp(before.data(), passed.data(), count * sizeof(VARIANT)) != 0) mismatch("DISPPARAMS changed");
        return hr;
    }

    // The call once more with one argument that no conversion takes, after the others have
    // been converted or before: it fails with the coercion's error and does nothing, and a
    // variable that held the argument still holds it. Data to write is a long text then,
    // whose copy the failed call must free.
    void failHalfWay(Method method, std::vector<VARIANT> call)
    {
        size_t spoiled = pick(call.size());
        const UniqueVariant longText = textVariant(std::wstring(40000, L'd'));
        if (method == CreateValue) {
            call[3] = longText.get();
            // The data, a variant, takes anything: the type after it fails instead.
            if (spoiled == 3) call.resize(++spoiled + 1);
        }
        const bool overflows = (spoiled == 0 || spoiled == 4) && pick(2);
        UniqueVariant value = overflows ? scalarVariant(VT_R8, 1e20) : arrayVariant();
        const std::string held = describe(value.get());
        call[spoiled] = pick(2) ? byRef(value) : value.get();
        UniqueVariant result;
        Exception exception;
        const HRESULT hr = invokeByName(method, call, result, exception);
        expect(outcome::error(hr), outcome::error(overflows ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH), "a call that fails half way");
        expect(describe(value.get()), held, "the variable of a call that failed");
    }

    // The call as the object makes it on the registry class once it has its arguments.
    HRESULT callClass(Method method, const std::vector<VARIANT>& arguments, UniqueVariant& result)
    {
        const auto root = static_cast<RegRootKey>(V_I4(&arguments[0]));
        const auto text = [&](size_t index) { return view(V_BSTR(&arguments[index])); };
        switch (method) {
        case DeleteSubKey: operations_.regDelete_Sub_Key(root, text(1), text(2)); return S_OK;
        case KeyExists: result = boolVariant(operations_.regDoes_Key_Exist(root, text(1))); return S_OK;
        case Query: return operations_.regQuery_A_Key(root, text(1), text(2), result);
        case CreateValue: {
            // A type left out or passed as missing is 0.
            UniqueVariant type;
            const bool given = arguments.size() > 4 && SUCCEEDED(VariantChangeType(type.put(), const_cast<VARIANT*>(&arguments[4]), 0, VT_I4));
            auto dataType = static_cast<RegDataType>(given ? V_I4(&type.get()) : 0);
            return operations_.regCreate_Key_Value(root, text(1), text(2), arguments[3], dataType);
        }
        case CreateKey: operations_.regCreate_A_Key(root, text(1)); return S_OK;
        case DeleteKey: result = boolVariant(operations_.regDelete_A_Key(root, text(1), text(2))); return S_OK;
        }
        return E_UNEXPECTED;
    }
    // A deletion on the registry class, of a key that is there, opens it for the existence
    // test and again for the deletion.
    void expectTwoOpens(bool keyExists)
    {
        if (direct_ && keyExists && !failed() && registry_.opens != 2) mismatch("a deletion opened its key " + std::to_string(registry_.opens) + " time(s), not twice");
    }

    // Whether a registry call of this operation failed, other than a close.
    bool failed() const { return !registry_.failed.empty(); }

    void mismatch(const std::string& what)
    {
        ++failures_;
        ADD_FAILURE() << "seed " << seed_ << ", operation " << operation_ << ": " << what;
    }
    template <typename Value>
    void expect(const Value& actual, const Value& expected, const std::string& what)
    {
        if (!(actual == expected)) mismatch(what + "\n  got      " + describeValue(actual) + "\n  expected " + describeValue(expected));
    }
    static std::string describeValue(const Outcome& outcome) { return describe(outcome); }
    static std::string describeValue(const std::string& text) { return text; }
    static std::string describeValue(const std::optional<RawValue>& value)
    {
        return value ? "type " + std::to_string(value->type) + ", " + std::to_string(value->bytes.size()) + " bytes" : "none";
    }

    void step()
    {
        direct_ = registry_.faults = pick(4) == 0;
        registry_.failed.clear();
        registry_.opens = 0;
        const LONG root = rootKey();
        const bool ours = root == kCurrentUser;
        const std::wstring relative = relativePath();
        const std::wstring path = key_.path(relative);
        switch (pick(ours ? 7 : 3)) {
        case 0: query(ours, root, path, relative); break;
        case 1: {
            const Outcome exists = call(KeyExists, {rootArgument(root), text(path)});
            expect(exists, outcome::boolean(ours && !failed() && model_.keyExists(relative)), "key exists");
            break;
        }
        case 2: {
            const std::wstring sub = component();
            const std::wstring child = relative + L"\\" + sub;
            const Outcome deleted = call(DeleteKey, {rootArgument(root), text(path), text(sub)});
            const bool deletes = ours && !failed() && model_.keyExists(relative) && model_.keyExists(child) && model_.subKeyCount(*RegistryModel::canonical(child)) == 0;
            expect(deleted, outcome::boolean(deletes), "delete key");
            expectTwoOpens(ours && model_.keyExists(relative));
            if (deletes) model_.deleteKey(child);
            break;
        }
        case 3: createValue(root, path, relative); break;
        case 4:
            expect(call(CreateKey, {rootArgument(root), text(path)}), Outcome(), "create key");
            if (!failed()) model_.createKey(relative);
            break;
        case 5: {
            const std::wstring name = valueName();
            expect(call(DeleteSubKey, {rootArgument(root), text(path), text(name)}), Outcome(), "delete value");
            expectTwoOpens(ours && model_.keyExists(relative));
            if (!failed()) model_.deleteValue(relative, name);
            break;
        }
        default: {
            const std::wstring name = valueName();
            if (RegistryModel::canonical(relative)) write(relative, name, rawValue());
            break;
        }
        }
    }

    void query(bool ours, LONG root, const std::wstring& path, const std::wstring& relative)
    {
        const std::wstring name = valueName();
        const std::optional<RawValue> before = model_.value(relative, name);
        std::optional<RawValue> raced;
        if (direct_) {
            registry_.beforeDataRead = [&] {
                raced = rawValue();
                // The ANSI read adds a NUL to a string that lacks one where the buffer has room.
                if (raced->type == REG_SZ || raced->type == REG_EXPAND_SZ || raced->type == REG_MULTI_SZ) raced->bytes += '\0';
                write(relative, name, *raced);
            };
        }
        const Outcome read = call(Query, {rootArgument(root), text(path), text(name)});
        registry_.beforeDataRead = nullptr;
        if (!raced || !ours || failed()) {
            expect(read, ours && !failed() ? RegistryModel::queried(before) : outcome::text(L""), "query");
        } else if (read.kind == Outcome::Error && !(read == outcome::kOverflow)) {
            // What a read that raced a writer returns is the registry's to decide; it ends as reads end.
            mismatch("a query that raced a writer ended in " + describe(read));
        }
    }

    LONG rootKey()
    {
        static const LONG others[] = {0, 0x12345678, -1, static_cast<LONG>(0x80000000), static_cast<LONG>(0x80000002),
                                      static_cast<LONG>(0x80000003), static_cast<LONG>(0x80000005)};
        return pick(5) == 0 ? others[pick(std::size(others))] : kCurrentUser;
    }

    void createValue(LONG root, const std::wstring& path, const std::wstring& relative)
    {
        const std::wstring name = valueName();
        Datum data = datum();
        static const LONG types[] = {0, 0, 1, 2, 3, 4, 4, 7, 5, 11, 0x1234, -1};
        const LONG given = types[pick(std::size(types))];
        const LONG chosen = given == 0 ? (data.numeric ? REG_DWORD : REG_SZ) : given;

        std::vector<VARIANT> arguments{rootArgument(root), text(path), text(name), argument(std::move(data.value))};
        // Left out, passed as missing, or given; a variable given 0 receives the chosen type.
        switch (given == 0 ? pick(3) : 2) {
        case 0: break;
        case 1: arguments.push_back(argument(scalarVariant<SCODE>(VT_ERROR, DISP_E_PARAMNOTFOUND))); break;
        default: arguments.push_back(argument(typeArgument(given), given == 0 ? "I4 " + std::to_string(chosen) : "")); break;
        }

        const Outcome& converted = chosen == REG_BINARY ? data.asByte : chosen == REG_DWORD ? data.asLong : data.text;
        expect(call(CreateValue, std::move(arguments)), converted.kind == Outcome::Error ? converted : Outcome(),
               "create value of type " + std::to_string(chosen));
        // The key path is created before the data is converted, so it stays when that fails.
        const bool keyCreated = root == kCurrentUser && registry_.failed != "create" && model_.createKey(relative);
        if (!keyCreated || converted.kind == Outcome::Error || failed()) return;
        std::string bytes;
        if (chosen == REG_BINARY) {
            bytes.assign(1, static_cast<char>(converted.number));
        } else if (chosen == REG_DWORD) {
            bytes.assign(reinterpret_cast<const char*>(&converted.number), 4);
        } else {
            bytes = ansi(withoutOuterSpaces(converted.text)) + '\0';
        }
        model_.setValue(relative, name, {static_cast<DWORD>(chosen), bytes});
        expect(key_.read(ansi(name), ansi(relative)), model_.value(relative, name), "stored value");
    }

    // Registry content that anyone may have written: any type, any size, any bytes.
    RawValue rawValue()
    {
        static const DWORD types[] = {0, 1, 1, 1, 2, 3, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 0x1234};
        const DWORD type = types[pick(std::size(types))];
        static const size_t sizes[] = {0, 1, 2, 3, 4, 5, 8, 300, 32767, 32768, 70000};
        const size_t size = pick(3) == 0 ? pick(70001) : sizes[pick(std::size(sizes))];
        std::string bytes(size, '\0');
        for (char& byte : bytes) byte = static_cast<char>(pick(8) == 0 ? 0 : 1 + pick(255));
        if (type == REG_SZ && pick(2) == 0) std::fill(bytes.begin(), bytes.end(), 'x');  // NUL-free runs
        return {type, bytes};
    }
    // Stores the value as another program would, beside the operations.
    void write(const std::wstring& relative, const std::wstring& name, const RawValue& value)
    {
        key_.write(ansi(name), value.type, value.bytes, ansi(relative));
        model_.createKey(relative);
        model_.setValue(relative, name, value);
    }

    // Every key of the model against the registry: the same values, and as many values and
    // subkeys, so that a key or value more shows too.
    void compareWholeTree()
    {
        for (const auto& [path, values] : model_.tree()) {
            UniqueHkey key;
            DWORD subKeys = 0, count = 0;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, ansi(path.empty() ? key_.path() : key_.path(path)).c_str(), 0, KEY_READ,
                              key.put()) != ERROR_SUCCESS ||
                RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &count, nullptr, nullptr,
                                 nullptr, nullptr) != ERROR_SUCCESS) {
                mismatch("the registry lacks the key " + ansi(path));
                continue;
            }
            if (subKeys != model_.subKeyCount(path) || count != values.size()) mismatch("other keys or values in " + ansi(path));
            for (const auto& [name, value] : values) {
                expect(key_.read(ansi(name), ansi(path)), std::optional<RawValue>(value), "the value " + ansi(name).substr(0, 12));
            }
        }
    }

    IDispatch* object_;
    std::uint64_t seed_;
    std::mt19937_64 random_;
    FaultyRegistry registry_{random_};
    RegistryOperations operations_{registry_};
    bool direct_ = false;  // this operation calls the registry class itself
    const std::vector<Datum> table_ = hostData();
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

// The process's committed private memory, summed over its address space as the process
// itself sees it. Wine reports no PrivateUsage, and its PagefileUsage is what the Linux
// process holds resident, which the kernel's paging and an emulator's own translation
// cache move without a byte allocated here. For open handles, which Wine does not count,
// the slot a new handle takes: it moves up only while more handles are held.
struct Usage {
    LONGLONG memory;
    LONG handles;
};
LONGLONG committedPrivateMemory()
{
    LONGLONG total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<LONGLONG>(region.RegionSize);
    }
    return total;
}
Usage usage()
{
    const UniqueKernelHandle probe(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return {committedPrivateMemory(), static_cast<LONG>(reinterpret_cast<INT_PTR>(probe.get()) / 4)};
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

        const char* count = std::getenv("CORVASTEL_OPERATIONS");
        const long operations = count ? std::atol(count) : 2000;
        if (const char* seed = std::getenv("CORVASTEL_SEED")) {
            Driver(object.Get(), std::strtoull(seed, nullptr, 10)).run(operations);
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

// What the model takes as given: NaN, numeric by its type as Windows judges it, fits no
// integer (no row of the host data can say what text it makes: Wine and Windows write it
// differently); and text converts through code page 1252, NULs and all.
TEST(Conversions, NotANumberFitsNoIntegerAndTextIsAnsi)
{
    const UniqueVariant notNumbers[] = {scalarVariant(VT_R4, std::nanf("")), scalarVariant(VT_R8, std::nan(""))};
    for (const UniqueVariant& notANumber : notNumbers) {
        LONG number = 0;
        BYTE byte = 0;
        EXPECT_TRUE(isNumeric(notANumber.get()));
        EXPECT_EQ(toLong(notANumber.get(), number), kOverflow);
        EXPECT_EQ(toByte(notANumber.get(), byte), kOverflow);
    }
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ansi(L"caf\u00e9 \u20ac"), "caf\xe9 \x80");
    EXPECT_EQ(wide("caf\xe9 \x80"), L"caf\u00e9 \u20ac");
    EXPECT_EQ(ansi(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    const std::string omega = ansi(L"\u03a9");
    EXPECT_EQ(omega.size(), 1u);
    EXPECT_NE(omega, std::string(1, '\0'));
    // Text longer than the conversion functions count is refused before a character is read.
    const char nothing[1] = {};
    const size_t tooLong = size_t{INT_MAX} + 1;
    std::string ansiText = "kept?";
    std::wstring wideText = L"kept?";
    EXPECT_EQ(toAnsi(std::wstring_view(L"", tooLong), ansiText), HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW));
    EXPECT_EQ(fromAnsi(std::string_view(nothing, tooLong), wideText), HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW));
    EXPECT_TRUE(ansiText.empty() && wideText.empty());
}

}  // namespace
}  // namespace corvastel::testing
