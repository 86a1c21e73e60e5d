// Every registry call of every operation made to fail in turn. A failed close changes
// nothing a caller sees; any other failed call gives the operation's failure outcome.
// Either way every handle opened is closed once, and nothing else is closed.

#include "registry/cls_registry.h"
#include "support/corvastel_dll.h"
#include "support/counting_registry.h"
#include "support/test_key.h"
#include "support/variants.h"

#include <gtest/gtest.h>

namespace corvastel::testing {
namespace {

using namespace std::string_literals;

struct Scenario {
    const char* name;
    void (*seed)(const TestKey&);
    // Runs the operation and describes what it returned and left in the registry.
    std::string (*run)(clsRegistry&, const TestKey&);
    const char* calls;          // the registry calls made when none fails
    const char* outcome;        // when no call fails, or only a close
    const char* failedOutcome;  // when any other call fails
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

std::string errorOrOk(HRESULT hr) { return FAILED(hr) ? "error " + std::to_string(HRESULT_CODE(hr)) : "ok"; }

std::string queryValue(clsRegistry& reg, const TestKey& key)
{
    UniqueVariant result;
    const HRESULT hr = reg.regQuery_A_Key(kCurrentUserRoot, key.path(), L"v", result);
    return FAILED(hr) ? errorOrOk(hr) : describe(result.get());
}

template <DWORD type>
std::string createValue(clsRegistry& reg, const TestKey& key, const VARIANT& data)
{
    RegDataType dataType = static_cast<RegDataType>(type);
    const HRESULT hr = reg.regCreate_Key_Value(kCurrentUserRoot, key.path(L"new"), L"v", data, dataType);
    return errorOrOk(hr) + (key.read("v", "new") ? ", stored" : ", nothing stored");
}

void seedNothing(const TestKey&) {}

const Scenario kScenarios[] = {
    {"KeyExists", seedNothing,
     [](clsRegistry& reg, const TestKey& key) { return std::string(reg.regDoes_Key_Exist(kCurrentUserRoot, key.path()) ? "true" : "false"); },
     "open close", "true", "false"},
    {"DeleteSubKey", [](const TestKey& key) { key.write("v", REG_SZ, "x\0"s); },
     [](clsRegistry& reg, const TestKey& key) {
         reg.regDelete_Sub_Key(kCurrentUserRoot, key.path(), L"v");
         return std::string(key.read("v") ? "kept" : "deleted");
     },
     "open close open deleteValue close", "deleted", "kept"},
    {"DeleteAKey", [](const TestKey& key) { key.write("v", REG_SZ, "x\0"s, "child"); },
     [](clsRegistry& reg, const TestKey& key) {
         const bool deleted = reg.regDelete_A_Key(kCurrentUserRoot, key.path(), L"child");
         return std::string(deleted ? "true" : "false") + (key.hasSubKey("child") ? ", kept" : ", gone");
     },
     "open close open deleteKey close", "true, gone", "false, kept"},
    {"CreateAKey", seedNothing,
     [](clsRegistry& reg, const TestKey& key) {
         reg.regCreate_A_Key(kCurrentUserRoot, key.path(L"new\\deeper"));
         return std::string(key.hasSubKey("new\\deeper") ? "created" : "absent");
     },
     "create close", "created", "absent"},
    {"QueryString", [](const TestKey& key) { key.write("v", REG_SZ, "abc\0"s); }, queryValue,
     "open query query close", "\"abc\"", "\"\""},
    {"QueryDword", [](const TestKey& key) { key.write("v", REG_DWORD, "\x2a\0\0\0"s); }, queryValue,
     "open query query close", "I4 42", "\"\""},
    {"QueryBinary", [](const TestKey& key) { key.write("v", REG_BINARY, "\x01\x02"s); }, queryValue,
     "open query query close", "I4 513", "\"\""},
    {"QueryOverflow", [](const TestKey& key) { key.write("v", REG_SZ, std::string(32767, 'x') + '\0'); },
     queryValue, "open query query close", "error 6", "\"\""},
    {"CreateText", seedNothing,
     [](clsRegistry& reg, const TestKey& key) { return createValue<REG_SZ>(reg, key, textVariant(L"hello").get()); },
     "create set close", "ok, stored", "ok, nothing stored"},
    {"CreateChosenDword", seedNothing,
     [](clsRegistry& reg, const TestKey& key) { return createValue<REG_NONE>(reg, key, textVariant(L"42").get()); },
     "create set close", "ok, stored", "ok, nothing stored"},
    {"CreateByte", seedNothing,
     [](clsRegistry& reg, const TestKey& key) { return createValue<REG_BINARY>(reg, key, longVariant(7).get()); },
     "create set close", "ok, stored", "ok, nothing stored"},
    {"CreateByteOverflow", seedNothing,
     [](clsRegistry& reg, const TestKey& key) { return createValue<REG_BINARY>(reg, key, shortVariant(300).get()); },
     "create close", "error 6, nothing stored", "error 6, nothing stored"},
};

class FaultTest : public ::testing::TestWithParam<Scenario> {
protected:
    // Runs the scenario on a fresh key, failing the call at failIndex (none if past the end).
    std::string runFailing(std::size_t failIndex, CountingRegistry& registry)
    {
        const TestKey key;
        GetParam().seed(key);
        registry.failCall(failIndex);
        clsRegistry reg(registry);
        const std::string outcome = GetParam().run(reg, key);
        EXPECT_EQ(registry.openHandles(), 0u) << registry.callSequence();
        EXPECT_EQ(registry.misuses(), 0u) << registry.callSequence();
        return outcome;
    }
};

TEST_P(FaultTest, EachFailedCallGivesTheFailureOutcomeAndLeaksNothing)
{
    const Scenario& scenario = GetParam();
    CountingRegistry clean;
    EXPECT_EQ(runFailing(SIZE_MAX, clean), scenario.outcome);
    ASSERT_EQ(clean.callSequence(), scenario.calls);

    for (std::size_t index = 0; index < clean.callCount(); ++index) {
        const std::string& failed = clean.calls()[index];
        SCOPED_TRACE("failing call " + std::to_string(index) + ", " + failed);
        CountingRegistry faulty;
        EXPECT_EQ(runFailing(index, faulty), failed == "close" ? scenario.outcome : scenario.failedOutcome);
    }
}

// Another writer changes the value after its size was read and before the read itself.
// The read uses a buffer of the size first reported, so a value that grew fails to read
// and one that shrank reads as it now is; nothing is read or written past the buffer.
TEST(ValueChangedBetweenSizeAndRead, GrownValuesFailAndShrunkOnesReadAsTheyAre)
{
    const struct {
        const char* name;
        DWORD type;
        std::string before;
        DWORD typeAfter;
        std::string after;
        const char* expected;
    } races[] = {
        {"string grows", REG_SZ, "abc\0"s, REG_SZ, std::string(70000, 'x') + '\0', "\"\""},
        {"string shrinks", REG_SZ, "abcdef\0"s, REG_SZ, "ab\0"s, "\"ab\""},
        {"string becomes a number", REG_SZ, "abc\0"s, REG_DWORD, "\x41\x42\0\0"s, "\"AB\""},
        {"binary grows", REG_BINARY, "\x01\x02"s, REG_BINARY, "\x01\x02\x03\x04\x05\x06"s, "\"\""},
        {"binary shrinks", REG_BINARY, "\x01\x02\x03\x04"s, REG_BINARY, "\x05"s, "I4 5"},
        {"number grows", REG_DWORD, "\x2a\0\0\0"s, REG_DWORD, "\x01\0\0\0\0\0\0\0"s, "\"\""},
    };
    for (const auto& race : races) {
        SCOPED_TRACE(race.name);
        const TestKey key;
        key.write("v", race.type, race.before);
        CountingRegistry registry;
        // open, query for the size, query for the data, close: change it before the data.
        registry.beforeCall(2, [&] { key.write("v", race.typeAfter, race.after); });
        clsRegistry reg(registry);
        UniqueVariant result;
        EXPECT_EQ(reg.regQuery_A_Key(kCurrentUserRoot, key.path(), L"v", result), S_OK);
        EXPECT_EQ(describe(result.get()), race.expected);
        EXPECT_EQ(registry.openHandles(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FaultTest, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvastel::testing
