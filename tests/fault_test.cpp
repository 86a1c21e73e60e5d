// Every registry call of every operation made to fail in turn. A failed close changes
// nothing a caller sees; any other failed call gives the operation's failure outcome.
// Either way every handle opened is closed once, and nothing else is closed.

#include "registry/cls_registry.h"
#include "support/client.h"
#include "support/test_key.h"
#include "support/host_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace corvastel::testing {
namespace {

using namespace std::string_literals;

// The real registry, with every call recorded and the handles it opens and closes
// counted; beforeCall runs before each call reaches the registry, as another thread
// could, and a status other than ERROR_SUCCESS from it fails the call with that status.
// A failed call does nothing else, except close, which still releases the handle.
class CountingRegistry final : public RegistryApi {
public:
    std::function<LONG(std::size_t index, const std::string& call)> beforeCall;
    std::string calls;          // "open close open deleteValue close"
    std::multiset<HKEY> live;   // opened and not yet closed
    std::size_t misuses = 0;    // an open into a variable that was not 0, a close of a handle not open

    LONG open(HKEY parent, const char* path, HKEY* key) override
    {
        return opening("open", key, [&] { return real_.open(parent, path, key); });
    }
    LONG create(HKEY parent, const char* path, HKEY* key) override
    {
        return opening("create", key, [&] { return real_.create(parent, path, key); });
    }
    LONG query(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return pass("query", [&] { return real_.query(key, name, type, data, size); });
    }
    LONG set(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return pass("set", [&] { return real_.set(key, name, type, data, size); });
    }
    LONG deleteValue(HKEY key, const char* name) override
    {
        return pass("deleteValue", [&] { return real_.deleteValue(key, name); });
    }
    LONG deleteKey(HKEY key, const char* subKey) override
    {
        return pass("deleteKey", [&] { return real_.deleteKey(key, subKey); });
    }
    LONG close(HKEY key) override
    {
        if (const auto found = live.find(key); found != live.end()) {
            live.erase(found);
        } else if (key) {
            ++misuses;
        }
        const LONG closed = real_.close(key);
        return pass("close", [&] { return closed; });
    }

private:
    template <typename Call>
    LONG pass(const char* name, const Call& call)
    {
        calls += (calls.empty() ? "" : " ") + std::string(name);
        const LONG status = beforeCall ? beforeCall(count_++, name) : ERROR_SUCCESS;
        return status ? status : call();
    }
    template <typename Call>
    LONG opening(const char* name, HKEY* key, const Call& call)
    {
        if (*key) ++misuses;
        const LONG status = pass(name, call);
        if (status == ERROR_SUCCESS && *key) live.insert(*key);
        return status;
    }

    RegistryApi& real_ = win32Registry();
    std::size_t count_ = 0;
};

std::string outcomeOf(HRESULT hr, const UniqueVariant& result)
{
    return FAILED(hr) ? "error " + std::to_string(HRESULT_CODE(hr)) : describe(result.get());
}

// Queries the value "v" of the test key.
std::string query(clsRegistry& reg, const TestKey& key)
{
    UniqueVariant result;
    return outcomeOf(reg.regQuery_A_Key(kCurrentUserRoot, key.path(), L"v", result), result);
}

// Writes data as "v" of the key "new" below the test key, with the type given.
std::string create(clsRegistry& reg, const TestKey& key, UniqueVariant data, LONG type)
{
    auto dataType = static_cast<RegDataType>(type);
    const HRESULT hr = reg.regCreate_Key_Value(kCurrentUserRoot, key.path(L"new"), L"v", data.get(), dataType);
    return outcomeOf(hr, UniqueVariant()) + (key.read("v", "new") ? ", stored" : ", nothing stored");
}

struct Scenario {
    const char* name;
    DWORD seedType;  // of the value "v" seeded in the test key or its "child" key; REG_NONE for none
    std::string seedBytes;
    std::string (*run)(clsRegistry&, const TestKey&);
    const char* calls;          // the registry calls made when none fails
    const char* outcome;        // when no call fails, or only a close
    const char* failedOutcome;  // when any other call fails
};

const Scenario kScenarios[] = {
    {"KeyExists", REG_NONE, "",
     [](clsRegistry& reg, const TestKey& key) { return std::string(reg.regDoes_Key_Exist(kCurrentUserRoot, key.path()) ? "true" : "false"); },
     "open close", "true", "false"},
    {"DeleteSubKey", REG_SZ, "x\0"s,
     [](clsRegistry& reg, const TestKey& key) {
         reg.regDelete_Sub_Key(kCurrentUserRoot, key.path(), L"v");
         return std::string(key.read("v") ? "kept" : "deleted");
     },
     "open close open deleteValue close", "deleted", "kept"},
    {"DeleteAKey", REG_NONE, "",
     [](clsRegistry& reg, const TestKey& key) {
         key.write("v", REG_SZ, "x\0"s, "child");
         const bool deleted = reg.regDelete_A_Key(kCurrentUserRoot, key.path(), L"child");
         return std::string(deleted ? "true" : "false") + (key.hasSubKey("child") ? ", kept" : ", gone");
     },
     "open close open deleteKey close", "true, gone", "false, kept"},
    {"CreateAKey", REG_NONE, "",
     [](clsRegistry& reg, const TestKey& key) {
         reg.regCreate_A_Key(kCurrentUserRoot, key.path(L"new\\deeper"));
         return std::string(key.hasSubKey("new\\deeper") ? "created" : "absent");
     },
     "create close", "created", "absent"},
    {"QueryString", REG_SZ, "abc\0"s, query, "open query query close", "\"abc\"", "\"\""},
    {"QueryDword", REG_DWORD, "\x2a\0\0\0"s, query, "open query query close", "I4 42", "\"\""},
    {"QueryBinary", REG_BINARY, "\x01\x02"s, query, "open query query close", "I4 513", "\"\""},
    {"QueryOverflow", REG_SZ, std::string(32767, 'x') + '\0', query, "open query query close", "error 6", "\"\""},
    {"CreateText", REG_NONE, "", [](clsRegistry& reg, const TestKey& key) { return create(reg, key, textVariant(L"hello"), REG_SZ); },
     "create set close", "Empty, stored", "Empty, nothing stored"},
    {"CreateChosenDword", REG_NONE, "", [](clsRegistry& reg, const TestKey& key) { return create(reg, key, textVariant(L"42"), REG_NONE); },
     "create set close", "Empty, stored", "Empty, nothing stored"},
    {"CreateByte", REG_NONE, "", [](clsRegistry& reg, const TestKey& key) { return create(reg, key, longVariant(7), REG_BINARY); },
     "create set close", "Empty, stored", "Empty, nothing stored"},
    {"CreateByteOverflow", REG_NONE, "", [](clsRegistry& reg, const TestKey& key) { return create(reg, key, longVariant(300), REG_BINARY); },
     "create close", "error 6, nothing stored", "error 6, nothing stored"},
};

// Runs the scenario on a fresh key with the call at failIndex failing (none when past the
// end), checks what it returned and that it left no handle open; returns the calls made.
std::string runFailing(const Scenario& scenario, std::size_t failIndex)
{
    const TestKey key;
    if (scenario.seedType != REG_NONE) key.write("v", scenario.seedType, scenario.seedBytes);
    CountingRegistry registry;
    std::string failed;
    registry.beforeCall = [&](std::size_t index, const std::string& call) {
        if (index != failIndex) return ERROR_SUCCESS;
        failed = call;
        return ERROR_ACCESS_DENIED;
    };
    clsRegistry reg(registry);
    const std::string outcome = scenario.run(reg, key);
    EXPECT_EQ(outcome, failed.empty() || failed == "close" ? scenario.outcome : scenario.failedOutcome)
        << "failing call " << failIndex << ", " << failed;
    EXPECT_EQ(registry.live.size(), 0u) << registry.calls;
    EXPECT_EQ(registry.misuses, 0u) << registry.calls;
    return registry.calls;
}

TEST(Faults, EachFailedCallGivesTheFailureOutcomeAndLeaksNothing)
{
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        const std::string calls = runFailing(scenario, SIZE_MAX);
        ASSERT_EQ(calls, scenario.calls);
        for (std::size_t index = 0; index <= static_cast<std::size_t>(std::count(calls.begin(), calls.end(), ' ')); ++index) {
            runFailing(scenario, index);
        }
    }
}

// Another writer changes the value after its size was read and before the read itself.
// The read uses a buffer of the size first reported, so a value that grew fails to read
// and one that shrank reads as it now is; nothing is read or written past the buffer.
TEST(Faults, ValueChangedBetweenSizeAndReadFailsWhenItGrew)
{
    const struct {
        DWORD type;
        std::string before;
        DWORD typeAfter;
        std::string after;
        const char* expected;
    } races[] = {
        {REG_SZ, "abc\0"s, REG_SZ, std::string(70000, 'x') + '\0', "\"\""},
        {REG_SZ, "abcdef\0"s, REG_SZ, "ab\0"s, "\"ab\""},
        {REG_SZ, "abc\0"s, REG_DWORD, "\x41\x42\0\0"s, "\"AB\""},
        {REG_BINARY, "\x01\x02"s, REG_BINARY, "\x01\x02\x03\x04\x05\x06"s, "\"\""},
        {REG_BINARY, "\x01\x02\x03\x04"s, REG_BINARY, "\x05"s, "I4 5"},
        {REG_DWORD, "\x2a\0\0\0"s, REG_DWORD, "\x01\0\0\0\0\0\0\0"s, "\"\""},
    };
    for (const auto& race : races) {
        SCOPED_TRACE(race.expected);
        const TestKey key;
        key.write("v", race.type, race.before);
        CountingRegistry registry;
        // open, query for the size, query for the data, close: change it before the data.
        registry.beforeCall = [&](std::size_t index, const std::string&) {
            if (index == 2) key.write("v", race.typeAfter, race.after);
            return ERROR_SUCCESS;
        };
        clsRegistry reg(registry);
        EXPECT_EQ(query(reg, key), race.expected);
        EXPECT_EQ(registry.live.size(), 0u);
    }
}

}  // namespace
}  // namespace corvastel::testing
