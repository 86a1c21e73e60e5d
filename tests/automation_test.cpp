// Corvastel.dll as a C++ client sees it, loaded from beside this program with nothing
// registered: its class object, the dual interface by vtable and by name, the error
// information, the type library and the resources read back.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "support/client.h"
#include "support/test_key.h"
#include "support/host_data.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using namespace std::string_literals;

namespace corvastel::testing {
namespace {

const HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

std::string hex(HRESULT value)
{
    char text[12];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

HRESULT canUnloadNow() { return corvastelExport<HRESULT STDAPICALLTYPE()>("DllCanUnloadNow")(); }

class Automation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(factory_) << "Corvastel.dll must sit beside the test";
        ASSERT_EQ(factory_->CreateInstance(nullptr, IID_PPV_ARGS(&object_)), S_OK);
    }
    UniqueBstr path() const { return allocateBstr(key_.path()); }

    TestKey key_;
    ComPtr<IClassFactory> factory_ = corvastelClassFactory();
    ComPtr<_clsRegistry> object_;
};

TEST_F(Automation, ClassObjectCreatesObjectsAndKeepsTheLibraryWhileUsed)
{
    ComPtr<IUnknown> aggregate;
    EXPECT_EQ(factory_->CreateInstance(object_.Get(), IID_PPV_ARGS(&aggregate)), CLASS_E_NOAGGREGATION);
    ComPtr<IClassFactory> other;
    EXPECT_EQ(corvastelExport<HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**)>("DllGetClassObject")(IID__clsRegistry,
                                                                                                   IID_PPV_ARGS(&other)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    object_.Reset();
    factory_.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
    // An unlock too many is ignored: it cannot take away a lock taken after it.
    corvastelClassFactory()->LockServer(FALSE);
    corvastelClassFactory()->LockServer(TRUE);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    corvastelClassFactory()->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Automation, NullPointersAreRefusedAndNullStringsAreEmpty)
{
    EXPECT_EQ(object_->regDelete_Sub_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regQuery_A_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regCreate_A_Key(kCurrentUserRoot, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regDoes_Key_Exist(nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regDelete_A_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->GetTypeInfoCount(nullptr), E_POINTER);
    EXPECT_EQ(object_->GetTypeInfo(0, 0, nullptr), E_POINTER);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"regQuery_A_Key")}, noName[] = {nullptr};
    DISPID id = 0;
    EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_POINTER);
    EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, noName, 1, 0, &id), E_POINTER);
    EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, name, 1, 0, nullptr), E_POINTER);
    // An out-variant is the method's to set, whatever it held before.
    VARIANT created = longVariant(42).release(), deleted = longVariant(42).release();
    EXPECT_EQ(object_->regCreate_A_Key(kCurrentUserRoot, path().get(), &created), S_OK);
    EXPECT_EQ(object_->regDelete_Sub_Key(kCurrentUserRoot, path().get(), nullptr, &deleted), S_OK);
    EXPECT_EQ(std::make_pair(V_VT(&created), V_VT(&deleted)), std::make_pair(VARTYPE{VT_EMPTY}, VARTYPE{VT_EMPTY}));
    // The default value of the user's root.
    UniqueVariant value;
    EXPECT_EQ(object_->regQuery_A_Key(static_cast<RegRootKey>(0), nullptr, nullptr, value.put()), S_OK);
    EXPECT_EQ(describe(value.get()), "\"\"");
}

// The type information that hosts browse (VBA's object browser, PowerShell's Get-Member).
TEST_F(Automation, HandsOutTheInterfacesTypeInformation)
{
    UINT count = 0;
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(object_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(object_->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    ASSERT_EQ(object_->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_TRUE(IsEqualGUID(type->guid, IID__clsRegistry));
    info->ReleaseTypeAttr(type);
}

TEST_F(Automation, VtableCallersGetTheChosenTypeAndErrorInformation)
{
    UniqueVariant data = textVariant(L"42");
    RegDataType type = static_cast<RegDataType>(0);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), allocateBstr(L"n").get(), data.addressof(), &type), S_OK);
    EXPECT_EQ(type, 4);
    // An omitted type arrives as a NULL pointer and counts as 0.
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), allocateBstr(L"s").get(),
                                           textVariant(L" x ").addressof(), nullptr),
              S_OK);
    EXPECT_EQ(key_.read("s"), (RawValue{REG_SZ, "x\0"s}));

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(object_.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__clsRegistry), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    type = static_cast<RegDataType>(3);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), allocateBstr(L"b").get(),
                                           longVariant(300).addressof(), &type),
              kOverflow);
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
    UniqueBstr description, source;
    GUID interfaceId{};
    error->GetDescription(description.put());
    error->GetSource(source.put());
    error->GetGUID(&interfaceId);
    EXPECT_EQ(view(description.get()), L"Overflow");
    EXPECT_EQ(view(source.get()), kProgId);
    EXPECT_TRUE(IsEqualGUID(interfaceId, IID__clsRegistry));
    // The error information is always the current call's: another failure, by vtable or by
    // name, leaves none behind.
    UniqueVariant byte = longVariant(300);
    const auto overflowThen = [&](const std::function<HRESULT()>& failing) {
        RegDataType binary = static_cast<RegDataType>(3);
        EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), allocateBstr(L"b").get(), byte.addressof(), &binary), kOverflow);
        EXPECT_NE(failing(), S_OK);
        return GetErrorInfo(0, &error);
    };
    EXPECT_EQ(overflowThen([&] { return object_->regQuery_A_Key(kCurrentUserRoot, nullptr, nullptr, nullptr); }), S_FALSE);
    EXPECT_EQ(overflowThen([&] { return object_->Invoke(12345, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr); }), S_FALSE);

    // A read that fails leaves its result Empty, whatever the caller's variable held.
    key_.write("long", REG_SZ, std::string(40000, 'x') + '\0');
    VARIANT poisoned;
    V_VT(&poisoned) = VT_I4;
    V_I4(&poisoned) = 99;
    EXPECT_EQ(object_->regQuery_A_Key(kCurrentUserRoot, path().get(), allocateBstr(L"long").get(), &poisoned), kOverflow);
    EXPECT_EQ(V_VT(&poisoned), VT_EMPTY);
}

// Calls by name as hosts make them, arguments listed as DISPPARAMS holds them: the named
// ones first, then the positional ones from the last to the first. Each call is checked
// for its status, the argument it blames, its result and what it wrote; none may change
// what DISPPARAMS holds.
TEST_F(Automation, CallsByNameMapEachArgumentOnceAndLeaveTheCallersArgumentsAlone)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"regCreate_Key_Value"), const_cast<LPOLESTR>(L"lngDataType"),
                        const_cast<LPOLESTR>(L"strRegKeyPath"), const_cast<LPOLESTR>(L"lngRootKey")};
    DISPID ids[4] = {};
    ASSERT_EQ(object_->GetIDsOfNames(IID_NULL, names, 4, 0, ids), S_OK);
    const DISPID createValue = ids[0], rootId = 0, pathId = 1, nameId = 2, typeId = 4;
    ASSERT_EQ(std::vector<DISPID>(ids + 1, ids + 4), std::vector<DISPID>({typeId, pathId, rootId}));
    DISPID exists = 0, query = 0;
    ASSERT_EQ(dispatchIdOf(object_.Get(), L"regDoes_Key_Exist", exists), S_OK);
    ASSERT_EQ(dispatchIdOf(object_.Get(), L"regQuery_A_Key", query), S_OK);

    key_.write("s", REG_SZ, "text\0"s);
    UniqueVariant root = longVariant(kCurrentUser), keyPath = textVariant(key_.path()), s = textVariant(L"s"),
                  x = textVariant(L"x"), m = textVariant(L"m"), o = textVariant(L"o"), b = textVariant(L"b"), l = textVariant(L"l"), d = textVariant(L"d"), one = longVariant(1), seven = longVariant(7), huge = scalarVariant(VT_R8, 1e20), hugeVariable = copyOf(huge.get()),
                  rootText = textVariant(L"&H80000001"), missing = scalarVariant<SCODE>(VT_ERROR, DISP_E_PARAMNOTFOUND),
                  badRoot = arrayVariant(), rootValue = longVariant(kCurrentUser), rootObject = objectVariant(&rootValue.get());
    const VARIANT path = keyPath.get();
    // Data passed by value stays the caller's: an object keeps every reference it had.
    UniqueVariant data = objectVariant(&path);
    const ComPtr<IDispatch> held(V_DISPATCH(&data.get()));
    UniqueVariant nothing = scalarVariant<void*>(VT_BYREF | VT_BSTR, nullptr);
    LONG chosen = 0;
    SHORT shortRoot = 1;
    struct Call {
        const char* what;
        DISPID method;
        std::vector<VARIANT> arguments;
        std::vector<DISPID> named;
        HRESULT status;
        std::string outcome;  // the result, the exception, or the argument blamed
        WORD flags = DISPATCH_METHOD;
    };
    const Call calls[] = {
        {"a named type after positional arguments", createValue, {seven.get(), b.get(), m.get(), path, root.get()}, {typeId}, S_OK, "Empty"},
        {"every argument named, in no order", query, {s.get(), root.get(), path}, {nameId, rootId, pathId}, S_OK, "\"text\""},
        {"in/out arguments named, the root first", exists, {root.get(), path}, {rootId, pathId}, S_OK, "VT 11 -1"},
        {"in/out arguments by value, the root as text", exists, {path, rootText.get()}, {}, S_OK, "VT 11 -1"},
        {"an optional argument passed as missing", createValue, {missing.get(), one.get(), o.get(), path, root.get()}, {}, S_OK, "Empty"},
        {"an object passed by value as data", createValue, {data.get(), d.get(), path, root.get()}, {}, S_OK, "Empty"},
        {"a missing argument for a parameter that is not optional is data", createValue, {missing.get(), x.get(), path, root.get()}, {}, DISP_E_EXCEPTION,
         "exception 800a000d Type mismatch from Corvastel.clsRegistry"},
        {"an object stands for its default value", exists, {byRef(keyPath), byRef(rootObject)}, {}, S_OK, "VT 11 -1"},
        {"surplus arguments", createValue, {one.get(), one.get(), one.get(), x.get(), path, root.get()}, {}, DISP_E_BADPARAMCOUNT, ""},
        {"too few arguments", query, {path, root.get()}, {}, DISP_E_BADPARAMCOUNT, ""},
        {"a name that no parameter has", createValue, {one.get(), one.get(), x.get(), path, root.get()}, {9}, DISP_E_PARAMNOTFOUND, "argument 0"},
        {"a parameter given by position and by name", createValue, {root.get(), one.get(), x.get(), path, root.get()}, {rootId}, DISP_E_PARAMNOTFOUND, "argument 0"},
        {"a Long variable receives the type chosen", createValue, {scalarVariant(VT_BYREF | VT_I4, &chosen).get(), one.get(), l.get(), path, root.get()}, {}, S_OK, "Empty"},
        {"a variable that refers to nothing", query, {s.get(), byRef(nothing), root.get()}, {}, DISP_E_TYPEMISMATCH, "argument 1"},
        {"an Integer variable for an in/out Long", exists, {path, scalarVariant(VT_BYREF | VT_I2, &shortRoot).get()}, {}, DISP_E_TYPEMISMATCH, "argument 1"},
        {"a variable that no conversion makes a root key", exists, {byRef(keyPath), byRef(badRoot)}, {}, DISP_E_TYPEMISMATCH, "argument 1"},
        {"overflow from a variable", query, {s.get(), path, byRef(hugeVariable)}, {}, DISP_E_OVERFLOW, "argument 2"},
        {"overflow from a value", query, {s.get(), path, huge.get()}, {}, DISP_E_OVERFLOW, "argument 2"},
        {"an assignment to a method", query, {one.get()}, {DISPID_PROPERTYPUT}, DISP_E_MEMBERNOTFOUND, "", DISPATCH_PROPERTYPUT},
        {"a method that is not there", 12345, {}, {}, DISP_E_MEMBERNOTFOUND, ""},
    };
    for (const Call& call : calls) {
        std::vector<VARIANT> arguments = call.arguments;
        std::vector<DISPID> named = call.named;
        DISPPARAMS params{arguments.data(), named.data(), static_cast<UINT>(arguments.size()), static_cast<UINT>(named.size())};
        UniqueVariant result;
        Exception exception;
        UINT blamed = 99;
        const HRESULT hr = object_->Invoke(call.method, IID_NULL, 0, call.flags, &params, result.put(), &exception, &blamed);
        EXPECT_EQ(hr, call.status) << call.what;
        const std::string outcome = hr == S_OK             ? describe(result.get())
                                    : hr == DISP_E_EXCEPTION ? "exception " + hex(exception.scode) + " " + printable(view(exception.bstrDescription)) +
                                                                   " from " + printable(view(exception.bstrSource))
                                    : blamed != 99           ? "argument " + std::to_string(blamed)
                                                             : "";
        EXPECT_EQ(outcome, call.outcome) << call.what;
        for (size_t index = 0; index < arguments.size(); ++index) {
            EXPECT_EQ(std::memcmp(&arguments[index], &call.arguments[index], sizeof(VARIANT)), 0) << call.what << ": argument " << index;
        }
    }
    EXPECT_EQ(key_.read("m"), (RawValue{REG_MULTI_SZ, "b\0"s}));
    EXPECT_EQ(key_.read("o"), (RawValue{REG_DWORD, "\1\0\0\0"s}));
    EXPECT_EQ(key_.read("x"), std::nullopt);
    EXPECT_EQ(chosen, REG_DWORD);
    EXPECT_EQ(describe(rootText.get()), "\"&H80000001\"");
    EXPECT_EQ(describe(hugeVariable.get()), "VT 5 1E+20");

    held->AddRef();
    EXPECT_EQ(held->Release(), 2u);

    UniqueVariant result;
    DISPID id = 0;
    EXPECT_EQ(dispatchIdOf(object_.Get(), L"regNothing", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispatchIdOf(object_.Get(), L"regDelete", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(dispatchIdOf(object_.Get(), L"regDelete_A_Keys", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(object_->Invoke(createValue, IID_NULL, 0, DISPATCH_METHOD, nullptr, result.put(), nullptr, nullptr), E_INVALIDARG);
    DISPPARAMS noArray{nullptr, nullptr, 3, 0};
    EXPECT_EQ(object_->Invoke(createValue, IID_NULL, 0, DISPATCH_METHOD, &noArray, result.put(), nullptr, nullptr), E_INVALIDARG);
    VARIANT arguments[2];
    DISPPARAMS noNames{arguments, nullptr, 2, 1};
    EXPECT_EQ(object_->Invoke(createValue, IID_NULL, 0, DISPATCH_METHOD, &noNames, result.put(), nullptr, nullptr), E_INVALIDARG);
}

std::wstring nameOf(ITypeInfo* info, MEMBERID member)
{
    UniqueBstr name;
    info->GetDocumentation(member, name.put(), nullptr, nullptr, nullptr);
    return std::wstring(view(name.get()));
}

// A type's or a method's name, marked where the type library has no help string for it.
std::wstring documentedName(ITypeInfo* info, MEMBERID member)
{
    UniqueBstr name, help;
    info->GetDocumentation(member, name.put(), help.put(), nullptr, nullptr);
    return std::wstring(view(name.get())) + (SysStringLen(help.get()) ? L"" : L" (no help string)");
}

std::wstring guidText(const GUID& id)
{
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

// "lngRootKey in, lngDataType in out opt =0" and the like.
std::wstring parametersOf(ITypeInfo* info, const FUNCDESC& function)
{
    BSTR names[8] = {};
    UINT count = 0;
    info->GetNames(function.memid, names, static_cast<UINT>(std::size(names)), &count);
    std::wstring text;
    for (SHORT i = 0; i < function.cParams; ++i) {
        const PARAMDESC& param = function.lprgelemdescParam[i].paramdesc;
        text += (i ? L", " : L"") + std::wstring(view(names[i + 1]));
        const std::pair<USHORT, const wchar_t*> flags[] = {
            {PARAMFLAG_FIN, L" in"}, {PARAMFLAG_FOUT, L" out"}, {PARAMFLAG_FRETVAL, L" retval"}, {PARAMFLAG_FOPT, L" opt"}};
        for (const auto& [flag, word] : flags) text += param.wParamFlags & flag ? word : L"";
        if (param.wParamFlags & PARAMFLAG_FHASDEFAULT) text += L" =" + std::to_wstring(V_I4(&param.pparamdescex->varDefaultValue));
    }
    for (BSTR name : names) SysFreeString(name);
    return text;
}

// One type as text: kind, name (marked if it has no help string), id and flags (a dual interface's are TYPEFLAG_FDUAL and
// the like), then its functions with dispatch id and vtable slot, and its enumeration
// members. A dual interface is described by its vtable half.
std::wstring describeType(ComPtr<ITypeInfo> info)
{
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> other;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &reference)) && SUCCEEDED(info->GetRefTypeInfo(reference, &other))) info = other;
    TYPEATTR* type = nullptr;
    if (FAILED(info->GetTypeAttr(&type))) return L"?\n";
    const wchar_t* kinds[] = {L"enum", L"record", L"module", L"interface", L"dispinterface", L"coclass", L"alias", L"union"};
    std::wstring text = std::wstring(kinds[type->typekind]) + L" " + documentedName(info.Get(), MEMBERID_NIL) + L" " +
                        guidText(type->guid) + L" flags " + std::to_wstring(type->wTypeFlags) + L"\n";
    for (UINT index = 0; index < type->cFuncs; ++index) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(index, &function))) continue;
        text += L"  " + std::to_wstring(function->memid) + L" slot " + std::to_wstring(function->oVft / sizeof(void*)) + L" " +
                documentedName(info.Get(), function->memid) + L"(" + parametersOf(info.Get(), *function) + L")\n";
        info->ReleaseFuncDesc(function);
    }
    for (UINT index = 0; index < type->cVars; ++index) {
        VARDESC* member = nullptr;
        if (FAILED(info->GetVarDesc(index, &member))) continue;
        text += L"  " + nameOf(info.Get(), member->memid) + L"=" + std::to_wstring(V_I4(member->lpvarValue)) + L"\n";
        info->ReleaseVarDesc(member);
    }
    info->ReleaseTypeAttr(type);
    return text;
}

// The type library embedded in the file, read back: the DLL beside this program's, or
// with CORVASTEL_TYPE_LIBRARY=PATH in the environment the 32-bit build's file, read by a 64-bit process.
TEST(TypeLibrary, HoldsTheFrozenIdentitiesAndShapes)
{
    const wchar_t* other = _wgetenv(L"CORVASTEL_TYPE_LIBRARY");
    ComPtr<ITypeLib> library;
    const std::wstring path = other ? other : pathOf(corvastelDll());
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    UniqueBstr name, help;
    library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
    std::wstring text = L"library " + std::wstring(view(name.get())) + (SysStringLen(help.get()) ? L" " : L" (no help string) ") + guidText(attributes->guid) + L" " +
                        std::to_wstring(attributes->wMajorVerNum) + L"." + std::to_wstring(attributes->wMinorVerNum) +
                        (attributes->syskind == SYS_WIN64 ? L" win64\n" : L" win32\n");
    library->ReleaseTLibAttr(attributes);
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfo(index, &info), S_OK);
        text += describeType(info);
    }
    const std::wstring interfaceId = kInterfaceIdText;
    EXPECT_EQ(text, L"library Corvastel " + std::wstring(kLibraryIdText) + (other || sizeof(void*) == 4 ? L" 2.0 win32\n" : L" 2.0 win64\n") +
        L"enum RegDataType {5F8D58A6-35FB-49FA-AB1C-87DB341B79FE} flags 0\n"
        L"  REG_NONE=0\n  REG_SZ=1\n  REG_EXPAND_SZ=2\n  REG_BINARY=3\n  REG_DWORD=4\n  REG_DWORD_LITTLE_ENDIAN=4\n"
        L"  REG_DWORD_BIG_ENDIAN=5\n  REG_LINK=6\n  REG_MULTI_SZ=7\n  REG_RESOURCE_LIST=8\n"
        L"  REG_FULL_RESOURCE_DESCRIPTOR=9\n  REG_RESOURCE_REQUIREMENTS_LIST=10\n"
        L"enum RegRootKey {C1C0488F-7550-42CE-B3D6-5ACD66BE4E2F} flags 0\n"
        L"  HKEY_CLASSES_ROOT=-2147483648\n  HKEY_CURRENT_USER=-2147483647\n  HKEY_LOCAL_MACHINE=-2147483646\n"
        L"  HKEY_USERS=-2147483645\n  HKEY_CURRENT_CONFIG=-2147483643\n  HKEY_PERFORMANCE_DATA=-2147483644\n"
        L"  HKEY_DYN_DATA=-2147483642\n"
        L"interface _clsRegistry " + interfaceId + L" flags 4560\n"
        L"  1610809344 slot 7 regDelete_Sub_Key(lngRootKey in, strRegKeyPath in, strRegSubKey in, result out retval)\n"
        L"  1610809345 slot 8 regDoes_Key_Exist(lngRootKey in out, strRegKeyPath in out, result out retval)\n"
        L"  1610809346 slot 9 regQuery_A_Key(lngRootKey in, strRegKeyPath in, strRegSubKey in, result out retval)\n"
        L"  1610809347 slot 10 regCreate_Key_Value(lngRootKey in, strRegKeyPath in, strRegSubKey in, varRegData in out, "
        L"lngDataType in out opt =0)\n"
        L"  1610809348 slot 11 regCreate_A_Key(lngRootKey in, strRegKeyPath in, result out retval)\n"
        L"  1610809349 slot 12 regDelete_A_Key(lngRootKey in, strRegKeyPath in, strRegKeyName in, result out retval)\n"
        L"coclass clsRegistry " + std::wstring(kClassIdText) + L" flags 2\n");
}

// The interface id resource, as Windows reads it.
TEST(ModuleFile, CarriesTheInterfaceId)
{
    HRSRC found = FindResourceW(corvastelDll(), MAKEINTRESOURCEW(1), L"_IID_CLSREGISTRY");
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(corvastelDll(), found), 20u);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(corvastelDll(), found)));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(data), 16u);
    EXPECT_TRUE(IsEqualGUID(*reinterpret_cast<const GUID*>(data + 4), IID__clsRegistry));
}

// Each program's version information: the fixed part, and the entries hosts and installers
// read from its one translation, Italian (Standard), Unicode.
TEST(ModuleFile, EachProgramCarriesItsVersionInformation)
{
    struct Program {
        std::wstring path;
        DWORD type;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> strings;
    };
    const Program programs[] = {
        {pathOf(corvastelDll()), VFT_DLL,
         {{L"FileVersion", L"2.00"}, {L"ProductVersion", L"2.00"}, {L"ProductName", L"Corvastel"},
          {L"InternalName", L"Corvastel"}, {L"OriginalFilename", L"Corvastel.dll"}, {L"OLESelfRegister", L""}}},
        // The tool is no server: regsvr32 and installers must not take it for one.
        {besideThisTest(L"RegisterCorvastel.exe"), VFT_APP,
         {{L"OriginalFilename", L"RegisterCorvastel.exe"}, {L"OLESelfRegister", L"<none>"}}},
    };
    for (const Program& program : programs) {
        std::vector<BYTE> version(GetFileVersionInfoSizeW(program.path.c_str(), nullptr));
        ASSERT_TRUE(GetFileVersionInfoW(program.path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
        EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwFileOS, fixed->dwFileType}),
                  std::vector<DWORD>({0x00020000u, 0u, 0x00020000u, VOS__WINDOWS32, program.type}));
        for (const auto& [name, expected] : program.strings) {
            wchar_t* value = nullptr;
            VerQueryValueW(version.data(), (std::wstring(L"\\StringFileInfo\\041004B0\\") + name).c_str(), reinterpret_cast<void**>(&value), &size);
            EXPECT_EQ(std::wstring(value ? value : L"<none>"), expected) << name;
        }
    }
}

}  // namespace
}  // namespace corvastel::testing
