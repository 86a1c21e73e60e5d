// What each operation of Corvastel.clsRegistry costs, measured in one run: through the
// vtable, through IDispatch by name as script hosts call (GetIDsOfNames, then Invoke with
// an argument list made once), and with a cached dispatch id; against the floor, the raw
// advapi32 calls the operation is obliged to make; and against the script host's
// WScript.Shell and WMI's StdRegProv. Then what a read and a write cost in-process, by
// name against the vtable, where no registry round trip hides it; how the cost grows
// with the value's size and the key path's depth; and how fast objects are created by
// ProgID. Prints tables and writes CSV and chart data into the folder given as the only
// argument. Needs Corvastel.dll registered.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>

#include "support/client.h"

#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using corvastel::allocateBstr;
using corvastel::UniqueBstr;
using corvastel::UniqueVariant;
using corvastel::testing::dispatchIdOf;
using corvastel::testing::kCurrentUser;
using corvastel::testing::kCurrentUserRoot;

namespace {

const char kBenchKey[] = "Software\\Corvastel Bench";
const wchar_t kBenchKeyW[] = L"Software\\Corvastel Bench";

// Corvastel.clsRegistry as the registration gives it; empty when that fails.
ComPtr<_clsRegistry> createByProgId()
{
    CLSID classId{};
    ComPtr<_clsRegistry> object;
    if (SUCCEEDED(CLSIDFromProgID(corvastel::kProgId, &classId))) {
        CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    }
    return object;
}

double secondsNow()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Microseconds per call of each candidate, and its cost as a ratio to the first's, timed
// call by call and in turns: every call here is a round trip to the wineserver, whose
// latency changes from moment to moment with whatever else the machine does, at times
// by a factor of ten, and taking the candidates' calls one after the other puts each
// moment on all of them alike. The medians of nine rounds' calls, each round of a
// twentieth of a second or more of the first candidate; the ratio is the median of each
// turn's own, so that a change of latency between turns does not show in it.
struct Timing {
    std::vector<double> microseconds;
    std::vector<double> ratios;
};

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

Timing measureInTurns(const std::vector<std::function<void()>>& calls)
{
    long count = 1;
    for (;;) {
        const double start = secondsNow();
        for (long i = 0; i < count; ++i) calls.front()();
        if (secondsNow() - start > 0.05) break;
        count *= 2;
    }
    std::vector<std::vector<double>> samples(calls.size()), ratios(calls.size());
    for (long call = 0; call < 9 * count; ++call) {
        for (size_t candidate = 0; candidate < calls.size(); ++candidate) {
            const double start = secondsNow();
            calls[candidate]();
            samples[candidate].push_back((secondsNow() - start) * 1e6);
            ratios[candidate].push_back(samples[candidate].back() / samples.front().back());
        }
    }
    Timing timing;
    for (size_t candidate = 0; candidate < calls.size(); ++candidate) {
        timing.microseconds.push_back(median(samples[candidate]));
        timing.ratios.push_back(median(ratios[candidate]));
    }
    return timing;
}

// Microseconds per call of each candidate apart from the registry's round trips, which
// under Wine dwarf everything done in-process: the best of seven runs of 20,000 calls,
// the candidates' runs taken in turns so that a slow moment of the machine's falls on
// all of them alike.
std::vector<double> bestRunsInTurns(const std::vector<std::function<void()>>& calls)
{
    std::vector<double> best(calls.size(), HUGE_VAL);
    for (int run = 0; run < 7; ++run) {
        for (size_t candidate = 0; candidate < calls.size(); ++candidate) {
            const double start = secondsNow();
            for (int i = 0; i < 20000; ++i) calls[candidate]();
            best[candidate] = std::min(best[candidate], (secondsNow() - start) / 20000 * 1e6);
        }
    }
    return best;
}

// An output file, closed when its owner goes; empty when it cannot be opened.
corvastel::UniqueFile openForWriting(const std::string& path) { return corvastel::UniqueFile(std::fopen(path.c_str(), "w")); }

double measure(const std::function<void()>& call) { return measureInTurns({call}).microseconds.front(); }

// Arguments as a script host passes them: made once for all its calls, and held in
// DISPPARAMS order, the last first.
class ArgumentList {
public:
    explicit ArgumentList(std::initializer_list<std::function<UniqueVariant()>> makers)
    {
        for (const auto& make : makers) owned_.push_back(make());
        for (auto value = owned_.rbegin(); value != owned_.rend(); ++value) passed_.push_back(value->get());
    }
    DISPPARAMS* params() noexcept
    {
        params_ = {passed_.data(), nullptr, static_cast<UINT>(passed_.size()), 0};
        return &params_;
    }

private:
    std::vector<UniqueVariant> owned_;
    std::vector<VARIANT> passed_;
    DISPPARAMS params_{};
};
using Arguments = std::shared_ptr<ArgumentList>;

Arguments arguments(std::initializer_list<std::function<UniqueVariant()>> makers)
{
    return std::make_shared<ArgumentList>(makers);
}

// Invokes with a dispatch id the caller keeps, as a host that caches ids does.
HRESULT invoke(IDispatch* object, DISPID id, ArgumentList& args, UniqueVariant& result)
{
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.params(), result.put(), nullptr, nullptr);
}

// Calls a method by name each time, as a script host does.
HRESULT invokeByName(IDispatch* object, const wchar_t* name, ArgumentList& args, UniqueVariant& result)
{
    DISPID id = DISPID_UNKNOWN;
    dispatchIdOf(object, name, id);
    return invoke(object, id, args, result);
}

UniqueVariant text(const std::wstring& value) { return corvastel::textVariant(value); }
UniqueVariant number(LONG value) { return corvastel::longVariant(value); }

// The floor of a write: create (or open) the key, set the value, close.
void rawSet(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kBenchKey, &key);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// The floor of creating a key, and of testing one (open, close).
void rawCreate(const char* path)
{
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, path, &key);
    RegCloseKey(key);
}

void rawOpen(const char* path)
{
    HKEY key = nullptr;
    RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
    RegCloseKey(key);
}

// The floor of a read: open, ask for the size, read, close.
void rawRead(const char* path, const char* name)
{
    HKEY key = nullptr;
    RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
    DWORD type = 0, size = 0;
    RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    std::string buffer(size, ' ');
    RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
}

// The floor of the deletions: the existence test's open and close, then the deletion.
template <typename Delete>
void rawDelete(Delete deletion)
{
    rawOpen(kBenchKey);
    HKEY key = nullptr;
    RegOpenKeyA(HKEY_CURRENT_USER, kBenchKey, &key);
    deletion(key);
    RegCloseKey(key);
}

struct Row {
    std::string section, operation, path;
    double microseconds;
    double ratio;
    std::string reference;
};

class Bench {
public:
    Bench(_clsRegistry* vtable, IDispatch* dispatch) : vtable_(vtable), dispatch_(dispatch) {}

    // One operation by every path, each as a ratio to the floor. The by-name call is kept
    // for timing the peers against.
    void operation(const std::string& name, const wchar_t* method, const std::function<void()>& floor,
                   const std::function<void()>& byVtable, const Arguments& args,
                   const std::function<void()>& before = [] {})
    {
        DISPID id = DISPID_UNKNOWN;
        dispatchIdOf(dispatch_, method, id);
        auto byName = [this, method, &args] { invokeByName(dispatch_, method, *args, result_); };
        auto cached = [this, id, &args] { invoke(dispatch_, id, *args, result_); };
        std::vector<std::function<void()>> paths;
        for (const std::function<void()>& path : {floor, byVtable, std::function<void()>(byName),
                                                   std::function<void()>(cached)}) {
            paths.push_back([&before, path] { before(); path(); });
        }
        const Timing timing = measureInTurns(paths);
        const char* names[] = {"raw advapi32 (floor)", "vtable", "IDispatch by name", "IDispatch cached id"};
        for (size_t path = 0; path < paths.size(); ++path) {
            add({"operations", name, names[path], timing.microseconds[path], timing.ratios[path], "floor"});
        }
        byNameCall_[name] = [this, method, args] { invokeByName(dispatch_, method, *args, result_); };
    }

    // A peer doing the same work, timed in turns with Corvastel called by name, and as a
    // ratio to it.
    void peer(const std::string& name, const std::string& peerName, const std::function<HRESULT()>& call)
    {
        if (const HRESULT hr = call(); FAILED(hr)) {
            char reason[64];
            std::snprintf(reason, sizeof reason, " (fails here: 0x%08lx)", static_cast<unsigned long>(hr));
            add({"peers", name, peerName + reason, 0, 0, "Corvastel by name"});
            return;
        }
        const Timing timing = measureInTurns({byNameCall_[name], [&] { call(); }});
        add({"peers", name, peerName, timing.microseconds[1], timing.ratios[1], "Corvastel by name"});
    }

    void add(Row row)
    {
        std::printf("%-11s %-22s %-34s %10.2f us  %8.2f x %s\n", row.section.c_str(), row.operation.c_str(),
                    row.path.c_str(), row.microseconds, row.ratio, row.reference.c_str());
        rows_.push_back(std::move(row));
    }

    void writeCsv(const std::string& path) const
    {
        const corvastel::UniqueFile file = openForWriting(path);
        if (!file.get()) return;
        std::fprintf(file.get(), "section,operation,path,microseconds_per_call,ratio,reference\n");
        for (const Row& row : rows_) {
            std::fprintf(file.get(), "%s,%s,%s,%.3f,%.3f,%s\n", row.section.c_str(), row.operation.c_str(),
                         row.path.c_str(), row.microseconds, row.ratio, row.reference.c_str());
        }
    }

    _clsRegistry* vtable_;
    IDispatch* dispatch_;

private:
    std::vector<Row> rows_;
    std::map<std::string, std::function<void()>> byNameCall_;
    UniqueVariant result_;
};

}  // namespace

int main(int argc, char** argv)
{
    const std::string outputDirectory = argc > 1 ? argv[1] : ".";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<_clsRegistry> vtable = createByProgId();
    ComPtr<IDispatch> dispatch;
    if (!vtable || FAILED(vtable.As(&dispatch))) {
        std::printf("%ls is not registered\n", corvastel::kProgId);
        return 1;
    }
    Bench bench(vtable.Get(), dispatch.Get());

    const std::string greeting = "hello world";
    const DWORD answer = 42;
    rawSet("sz", REG_SZ, greeting.c_str(), static_cast<DWORD>(greeting.size() + 1));
    rawSet("dw", REG_DWORD, &answer, sizeof answer);
    UniqueBstr path = allocateBstr(kBenchKeyW);
    UniqueBstr sz = allocateBstr(L"sz"), dw = allocateBstr(L"dw"), w = allocateBstr(L"w"), gone = allocateBstr(L"gone");
    UniqueBstr sub = allocateBstr(L"sub");
    UniqueVariant result;
    auto root = [] { return number(kCurrentUser); };
    auto benchPath = [] { return text(kBenchKeyW); };

    std::printf("%-11s %-22s %-34s %13s  %10s\n", "section", "operation", "path", "per call", "ratio");
    bench.operation("query REG_SZ", L"regQuery_A_Key", [] { rawRead(kBenchKey, "sz"); },
                    [&] { vtable->regQuery_A_Key(kCurrentUserRoot, path.get(), sz.get(), result.put()); },
                    arguments({root, benchPath, [] { return text(L"sz"); }}));
    bench.operation("query REG_DWORD", L"regQuery_A_Key", [] { rawRead(kBenchKey, "dw"); },
                    [&] { vtable->regQuery_A_Key(kCurrentUserRoot, path.get(), dw.get(), result.put()); },
                    arguments({root, benchPath, [] { return text(L"dw"); }}));

    const std::wstring written = L"Corvastel";
    const std::string writtenAnsi = "Corvastel";
    const BYTE byte = 7;
    const struct {
        const char* name;
        RegDataType type;
        std::function<UniqueVariant()> data;
        std::function<void()> floor;
    } writes[] = {
        {"write REG_SZ", static_cast<RegDataType>(REG_SZ), [&] { return text(written); },
         [&] { rawSet("w", REG_SZ, writtenAnsi.c_str(), static_cast<DWORD>(writtenAnsi.size() + 1)); }},
        {"write REG_DWORD", static_cast<RegDataType>(REG_DWORD), [] { return number(42); },
         [&] { rawSet("w", REG_DWORD, &answer, sizeof answer); }},
        {"write REG_BINARY", static_cast<RegDataType>(REG_BINARY), [] { return number(7); },
         [&] { rawSet("w", REG_BINARY, &byte, sizeof byte); }},
    };
    for (const auto& write : writes) {
        UniqueVariant data = write.data();
        bench.operation(write.name, L"regCreate_Key_Value", write.floor,
                        [&] {
                            RegDataType type = write.type;
                            vtable->regCreate_Key_Value(kCurrentUserRoot, path.get(), w.get(), data.addressof(), &type);
                        },
                        arguments({root, benchPath, [] { return text(L"w"); }, write.data,
                                   [&] { return number(write.type); }}));
    }

    bench.operation("create key", L"regCreate_A_Key", [] { rawCreate(kBenchKey); },
                    [&] { vtable->regCreate_A_Key(kCurrentUserRoot, path.get(), result.put()); }, arguments({root, benchPath}));
    bench.operation("test key", L"regDoes_Key_Exist", [] { rawOpen(kBenchKey); },
                    [&] {
                        RegRootKey rootKey = kCurrentUserRoot;
                        BSTR keyPath = path.get();
                        VARIANT_BOOL exists;
                        vtable->regDoes_Key_Exist(&rootKey, &keyPath, &exists);
                    },
                    arguments({root, benchPath}));
    // Each deletion needs something to delete: every round first writes it back.
    const auto restoreValue = [&] { rawSet("gone", REG_DWORD, &answer, sizeof answer); };
    bench.operation("delete value", L"regDelete_Sub_Key",
                    [] { rawDelete([](HKEY key) { RegDeleteValueA(key, "gone"); }); },
                    [&] { vtable->regDelete_Sub_Key(kCurrentUserRoot, path.get(), gone.get(), result.put()); },
                    arguments({root, benchPath, [] { return text(L"gone"); }}), restoreValue);
    const auto restoreKey = [] { rawCreate("Software\\Corvastel Bench\\sub"); };
    VARIANT_BOOL deleted;
    bench.operation("delete key", L"regDelete_A_Key", [] { rawDelete([](HKEY key) { RegDeleteKeyA(key, "sub"); }); },
                    [&] { vtable->regDelete_A_Key(kCurrentUserRoot, path.get(), sub.get(), &deleted); },
                    arguments({root, benchPath, [] { return text(L"sub"); }}), restoreKey);

    // What Corvastel does in-process, by vtable and by name: calls whose registry work
    // fails at once, as root 0 names no key, so that no round trip hides the cost.
    const auto inProcess = [&](const std::string& name, const wchar_t* method, const std::function<void()>& byVtable,
                               const Arguments& args) {
        const std::vector<double> times =
            bestRunsInTurns({byVtable, [&] { invokeByName(dispatch.Get(), method, *args, result); }});
        bench.add({"in-process", name, "vtable", times[0], 1, "vtable"});
        bench.add({"in-process", name, "IDispatch by name", times[1], times[1] / times[0], "vtable"});
    };
    const auto noRoot = [] { return number(0); };
    inProcess("read, root 0", L"regQuery_A_Key",
              [&] { vtable->regQuery_A_Key(static_cast<RegRootKey>(0), path.get(), sz.get(), result.put()); },
              arguments({noRoot, benchPath, [] { return text(L"sz"); }}));
    UniqueVariant data = text(written);
    inProcess("write, root 0", L"regCreate_Key_Value",
              [&] {
                  RegDataType type = static_cast<RegDataType>(REG_SZ);
                  vtable->regCreate_Key_Value(static_cast<RegRootKey>(0), path.get(), w.get(), data.addressof(), &type);
              },
              arguments({noRoot, benchPath, [] { return text(L"w"); }, [&] { return text(written); },
                         [] { return number(REG_SZ); }}));

    // The script host's own registry object, called by name as a script calls it.
    ComPtr<IDispatch> shell;
    CLSID shellId{};
    if (SUCCEEDED(CLSIDFromProgID(L"WScript.Shell", &shellId))) {
        CoCreateInstance(shellId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell));
    }
    const std::wstring shellKey = std::wstring(L"HKCU\\") + kBenchKeyW + L"\\";
    // A peer's method called by name, where the peer could be made.
    const auto byNameOn = [&](const ComPtr<IDispatch>& peer, const wchar_t* method, const Arguments& args) {
        return [&, method, args] { return peer ? invokeByName(peer.Get(), method, *args, result) : E_NOINTERFACE; };
    };
    bench.peer("query REG_SZ", "WScript.Shell RegRead", byNameOn(shell, L"RegRead", arguments({[&] { return text(shellKey + L"sz"); }})));
    bench.peer("query REG_DWORD", "WScript.Shell RegRead", byNameOn(shell, L"RegRead", arguments({[&] { return text(shellKey + L"dw"); }})));
    bench.peer("write REG_SZ", "WScript.Shell RegWrite",
               byNameOn(shell, L"RegWrite", arguments({[&] { return text(shellKey + L"w"); }, [&] { return text(written); },
                                                 [] { return text(L"REG_SZ"); }})));
    bench.peer("write REG_DWORD", "WScript.Shell RegWrite",
               byNameOn(shell, L"RegWrite", arguments({[&] { return text(shellKey + L"w"); }, [] { return number(42); },
                                                 [] { return text(L"REG_DWORD"); }})));

    // WMI's registry provider, where the platform has it.
    ComPtr<IDispatch> provider;
    CoGetObject(L"winmgmts:root\\default:StdRegProv", nullptr, IID_PPV_ARGS(&provider));
    UniqueVariant out;
    const auto outVariable = [&] {
        UniqueVariant reference;
        V_VT(reference.put()) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(reference.addressof()) = out.addressof();
        return reference;
    };
    bench.peer("query REG_SZ", "StdRegProv GetStringValue",
               byNameOn(provider, L"GetStringValue", arguments({root, benchPath, [] { return text(L"sz"); }, outVariable})));
    bench.peer("write REG_SZ", "StdRegProv SetStringValue",
               byNameOn(provider, L"SetStringValue", arguments({root, benchPath, [] { return text(L"w"); }, [&] { return text(written); }})));
    bench.peer("create key", "StdRegProv CreateKey", byNameOn(provider, L"CreateKey", arguments({root, benchPath})));

    // How the cost grows: with the string's length, and with the key path's depth.
    const corvastel::UniqueFile sizes = openForWriting(outputDirectory + "/scale-size.dat");
    double previousTime = 0, previousSize = 0;
    for (const DWORD length : {1u, 16u, 256u, 4096u, 16384u, 32766u}) {
        const std::string value = std::string(length, 'x') + '\0';
        rawSet("long", REG_SZ, value.data(), length + 1);
        UniqueBstr name = allocateBstr(L"long");
        const Timing timing = measureInTurns(
            {[] { rawRead(kBenchKey, "long"); },
             [&] { vtable->regQuery_A_Key(kCurrentUserRoot, path.get(), name.get(), result.put()); }});
        const double floorTime = timing.microseconds[0], time = timing.microseconds[1];
        const double growth = previousTime > 0 ? std::log(time / previousTime) / std::log(length / previousSize) : 0;
        bench.add({"scale", "REG_SZ " + std::to_string(length) + " chars", "vtable", time, timing.ratios[1],
                   "floor; growth exponent " + std::to_string(growth).substr(0, 4)});
        if (sizes.get()) std::fprintf(sizes.get(), "%lu %.3f %.3f\n", static_cast<unsigned long>(length), time, floorTime);
        previousTime = time;
        previousSize = length;
    }

    const corvastel::UniqueFile depths = openForWriting(outputDirectory + "/scale-depth.dat");
    for (const int depth : {1, 2, 4, 8, 16, 32}) {
        std::string deep = kBenchKey;
        for (int level = 1; level < depth; ++level) deep += "\\" + std::to_string(level);
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, deep.c_str(), &key);
        RegSetValueExA(key, "dw", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&answer), sizeof answer);
        RegCloseKey(key);
        UniqueBstr deepPath = allocateBstr(std::wstring(deep.begin(), deep.end()));
        const Timing timing = measureInTurns(
            {[&] { rawRead(deep.c_str(), "dw"); },
             [&] { vtable->regQuery_A_Key(kCurrentUserRoot, deepPath.get(), dw.get(), result.put()); }});
        const double floorTime = timing.microseconds[0], time = timing.microseconds[1];
        bench.add({"scale", "depth " + std::to_string(depth), "vtable", time, timing.ratios[1], "floor"});
        if (depths.get()) std::fprintf(depths.get(), "%d %.3f %.3f\n", depth, time, floorTime);
    }

    const double creation = measure([] { createByProgId(); });
    bench.add({"scale", "create by ProgID", std::to_string(static_cast<long>(1e6 / creation)) + " objects/s", creation,
               0, "-"});

    bench.writeCsv(outputDirectory + "/results.csv");
    RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
    vtable.Reset();
    dispatch.Reset();
    shell.Reset();
    provider.Reset();
    CoUninitialize();
    return 0;
}
