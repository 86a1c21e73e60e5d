// Corvastel.dll as a C++ client sees it, loaded from beside this program with nothing
// registered: its class object, the dual interface by vtable and by name, the error
// information, the type library read back, and the file's exports and resources.

#include <windows.h>
#include <cguid.h>
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/corvastel_h.h"
#include "automation/corvastel_identities.h"
#include "platform/module_files.h"
#include "platform/owners.h"
#include "support/corvastel_dll.h"
#include "support/dispatch_calls.h"
#include "support/test_main.h"
#include "support/test_key.h"
#include "support/variants.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstring>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using namespace std::string_literals;

namespace corvastel::testing {
namespace {

const HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);

template <typename Function>
Function* exported(const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(corvastelDll(), name)));
}

ComPtr<IClassFactory> classFactory()
{
    ComPtr<IClassFactory> factory = corvastelClassFactory();
    EXPECT_TRUE(factory);
    return factory;
}

ComPtr<_clsRegistry> newObject()
{
    ComPtr<_clsRegistry> object;
    EXPECT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
    return object;
}

HRESULT canUnloadNow() { return exported<HRESULT STDAPICALLTYPE()>("DllCanUnloadNow")(); }

class Automation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(corvastelDll()) << "Corvastel.dll must sit beside the test"; }
    UniqueBstr path() const { return allocateBstr(key_.path()); }
    UniqueBstr text(const wchar_t* value) const { return allocateBstr(value); }

    TestKey key_;
    ComPtr<_clsRegistry> object_ = newObject();
};

TEST_F(Automation, ClassObjectCreatesObjectsAndKeepsTheLibraryWhileUsed)
{
    ComPtr<IUnknown> aggregate;
    EXPECT_EQ(classFactory()->CreateInstance(object_.Get(), IID_PPV_ARGS(&aggregate)), CLASS_E_NOAGGREGATION);
    ComPtr<IClassFactory> other;
    EXPECT_EQ(exported<HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**)>("DllGetClassObject")(
                  IID__clsRegistry, IID_PPV_ARGS(&other)),
              CLASS_E_CLASSNOTAVAILABLE);

    EXPECT_EQ(canUnloadNow(), S_FALSE);
    object_.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
    {
        const ComPtr<IClassFactory> factory = classFactory();
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    }
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    classFactory()->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Automation, VtableCallsReachTheRegistry)
{
    UniqueVariant empty;
    EXPECT_EQ(object_->regCreate_A_Key(kCurrentUserRoot, path().get(), empty.put()), S_OK);
    EXPECT_EQ(V_VT(&empty.get()), VT_EMPTY);

    UniqueVariant data = textVariant(L"42");
    RegDataType type = static_cast<RegDataType>(0);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), text(L"n").get(),
                                           data.addressof(), &type),
              S_OK);
    EXPECT_EQ(type, 4);
    // An omitted type arrives as a NULL pointer and counts as 0.
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), text(L"s").get(),
                                           textVariant(L" x ").addressof(), nullptr),
              S_OK);
    EXPECT_EQ(key_.read("s"), (RawValue{REG_SZ, "x\0"s}));

    UniqueVariant value;
    EXPECT_EQ(object_->regQuery_A_Key(kCurrentUserRoot, path().get(), text(L"n").get(), value.put()), S_OK);
    EXPECT_EQ(describe(value.get()), "I4 42");

    RegRootKey root = kCurrentUserRoot;
    BSTR keyPath = path().release();
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(object_->regDoes_Key_Exist(&root, &keyPath, &exists), S_OK);
    SysFreeString(keyPath);
    EXPECT_EQ(exists, VARIANT_TRUE);

    EXPECT_EQ(object_->regDelete_Sub_Key(kCurrentUserRoot, path().get(), text(L"n").get(), empty.put()), S_OK);
    EXPECT_FALSE(key_.read("n"));
    VARIANT_BOOL deleted = VARIANT_FALSE;
    EXPECT_EQ(object_->regDelete_A_Key(kCurrentUserRoot, path().get(), text(L"missing").get(), &deleted), S_OK);
    EXPECT_EQ(deleted, VARIANT_FALSE);
}

TEST_F(Automation, NullOutputPointersAreRefused)
{
    EXPECT_EQ(object_->regDelete_Sub_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regQuery_A_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regCreate_A_Key(kCurrentUserRoot, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regDoes_Key_Exist(nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object_->regDelete_A_Key(kCurrentUserRoot, nullptr, nullptr, nullptr), E_POINTER);
    // A NULL string is the empty string: the default value of the user's root.
    UniqueVariant value;
    EXPECT_EQ(object_->regQuery_A_Key(static_cast<RegRootKey>(0), nullptr, nullptr, value.put()), S_OK);
    EXPECT_EQ(describe(value.get()), "\"\"");
}

TEST_F(Automation, ConversionFailuresSetErrorInformation)
{
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(object_.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__clsRegistry), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

    RegDataType type = static_cast<RegDataType>(3);
    EXPECT_EQ(object_->regCreate_Key_Value(kCurrentUserRoot, path().get(), text(L"b").get(),
                                           shortVariant(300).addressof(), &type),
              kOverflow);
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
    UniqueBstr description, source;
    error->GetDescription(description.put());
    error->GetSource(source.put());
    EXPECT_EQ(view(description.get()), L"Overflow");
    EXPECT_EQ(view(source.get()), kProgId);
    GUID interfaceId{};
    error->GetGUID(&interfaceId);
    EXPECT_TRUE(IsEqualGUID(interfaceId, IID__clsRegistry));
}

// IDispatch as script hosts call it: by name, with their variables passed by reference.
class Dispatch : public Automation {
protected:
    DISPID idOf(const wchar_t* name)
    {
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(dispatchIdOf(object_.Get(), name, id), S_OK) << "name";
        return id;
    }

    // Arguments in call order, as a caller writes them.
    HRESULT call(const wchar_t* name, std::vector<VARIANT> arguments, UniqueVariant& result,
                 Exception* exception = nullptr, std::vector<DISPID> named = {})
    {
        Exception ignored;
        return invokeMethod(object_.Get(), idOf(name), std::move(arguments), result, exception ? *exception : ignored,
                            std::move(named));
    }

    UniqueVariant root_ = longVariant(kCurrentUser);
    UniqueVariant path_ = textVariant(key_.path());
};

TEST_F(Dispatch, NamesResolveCaseInsensitivelyToTheirIds)
{
    const std::pair<const wchar_t*, DISPID> names[] = {
        {L"regDelete_Sub_Key", 0x60030000}, {L"REGDOES_KEY_EXIST", 0x60030001}, {L"regquery_a_key", 0x60030002},
        {L"regCreate_Key_Value", 0x60030003}, {L"regCreate_A_Key", 0x60030004}, {L"regDelete_A_Key", 0x60030005},
    };
    for (const auto& [name, id] : names) EXPECT_EQ(idOf(name), id);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"regNothing")};
    DISPID id = 0;
    EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, ScriptVariablesPassByReferenceAndReceiveTheChosenType)
{
    UniqueVariant result;
    EXPECT_EQ(call(L"regDoes_Key_Exist", {byRef(root_), byRef(path_)}, result), S_OK);
    EXPECT_EQ(V_VT(&result.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result.get()), VARIANT_TRUE);

    UniqueVariant name = textVariant(L"n");
    UniqueVariant data = textVariant(L"42");
    UniqueVariant type = shortVariant(0);
    EXPECT_EQ(call(L"regCreate_Key_Value", {byRef(root_), byRef(path_), byRef(name), byRef(data), byRef(type)}, result), S_OK);
    EXPECT_EQ(describe(type.get()), "I4 4");
    EXPECT_EQ(describe(data.get()), "\"42\"");

    EXPECT_EQ(call(L"regQuery_A_Key", {byRef(root_), byRef(path_), byRef(name)}, result), S_OK);
    EXPECT_EQ(describe(result.get()), "I4 42");
}

TEST_F(Dispatch, OmittedAndNamedTypesWork)
{
    UniqueVariant result;
    EXPECT_EQ(call(L"regCreate_Key_Value", {root_.get(), path_.get(), textVariant(L"s").get(), textVariant(L"a").get()}, result), S_OK);
    EXPECT_EQ(key_.read("s"), (RawValue{REG_SZ, "a\0"s}));
    // A type passed as missing, by value (vtMissing) or in a variable, is left out too.
    UniqueVariant missing = errorVariant(DISP_E_PARAMNOTFOUND);
    for (const VARIANT& type : {missing.get(), byRef(missing)}) {
        EXPECT_EQ(call(L"regCreate_Key_Value", {root_.get(), path_.get(), textVariant(L"d").get(), textVariant(L"5").get(), type},
                       result),
                  S_OK);
        EXPECT_EQ(key_.read("d"), (RawValue{REG_DWORD, "\x05\0\0\0"s}));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.path().c_str(), L"d");
    }
    EXPECT_EQ(V_VT(&missing.get()), VT_ERROR);

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"regCreate_Key_Value"), const_cast<LPOLESTR>(L"lngDataType")};
    DISPID ids[2] = {};
    ASSERT_EQ(object_->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK);
    UniqueVariant multi = longVariant(7);
    EXPECT_EQ(call(L"regCreate_Key_Value",
                   {root_.get(), path_.get(), textVariant(L"m").get(), textVariant(L"b").get(), multi.get()}, result,
                   nullptr, {ids[1]}),
              S_OK);
    EXPECT_EQ(key_.read("m"), (RawValue{REG_MULTI_SZ, "b\0"s}));
}

TEST_F(Dispatch, MalformedArgumentListsAreRefused)
{
    DISPPARAMS noArray{nullptr, nullptr, 3, 0};
    UniqueVariant result;
    EXPECT_EQ(object_->Invoke(idOf(L"regQuery_A_Key"), IID_NULL, 0, DISPATCH_METHOD, &noArray, result.put(), nullptr,
                              nullptr),
              E_INVALIDARG);
    VARIANT arguments[2];
    DISPPARAMS noNames{arguments, nullptr, 2, 1};
    EXPECT_EQ(object_->Invoke(idOf(L"regCreate_A_Key"), IID_NULL, 0, DISPATCH_METHOD, &noNames, result.put(), nullptr,
                              nullptr),
              E_INVALIDARG);
}

TEST_F(Dispatch, ConversionFailuresBecomeExceptions)
{
    UniqueVariant result;
    Exception exception;
    EXPECT_EQ(call(L"regCreate_Key_Value",
                   {root_.get(), path_.get(), textVariant(L"b").get(), shortVariant(300).get(), longVariant(3).get()},
                   result, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, kOverflow);
    EXPECT_EQ(view(exception.bstrDescription), L"Overflow");
    EXPECT_EQ(view(exception.bstrSource), kProgId);
    EXPECT_TRUE(key_.hasSubKey(""));
    EXPECT_FALSE(key_.read("b"));
}

// The type library embedded in the file, read back through ITypeLib and ITypeInfo: the
// DLL beside this program's, or with --type-library=PATH the 32-bit build's file, read
// by a 64-bit process.
class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* other = textOption("type-library");
        const std::wstring path = other ? std::wstring(other, other + std::strlen(other)) : modulePath(corvastelDll());
        ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library_), S_OK) << (other ? other : "the DLL beside this program");
        platform_ = other || sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64;
    }

    ComPtr<ITypeInfo> typeInfo(REFGUID id)
    {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(id, &info), S_OK);
        return info;
    }

    struct Attributes {
        TYPEKIND kind;
        WORD major, minor, flags, functions, variables;
    };
    Attributes attributesOf(ITypeInfo* info)
    {
        TYPEATTR* attributes = nullptr;
        EXPECT_EQ(info->GetTypeAttr(&attributes), S_OK);
        const Attributes copy{attributes->typekind, attributes->wMajorVerNum, attributes->wMinorVerNum,
                              attributes->wTypeFlags, attributes->cFuncs, attributes->cVars};
        info->ReleaseTypeAttr(attributes);
        return copy;
    }

    std::wstring nameOf(ITypeInfo* info, MEMBERID member)
    {
        UniqueBstr name;
        info->GetDocumentation(member, name.put(), nullptr, nullptr, nullptr);
        return std::wstring(view(name.get()));
    }

    // "lngRootKey:[in] lngDataType:[in,out,opt=0]" and the like.
    std::wstring parametersOf(ITypeInfo* info, const FUNCDESC& function)
    {
        std::vector<UniqueBstr> names(function.cParams + 1);
        std::vector<BSTR> raw(names.size());
        UINT count = 0;
        info->GetNames(function.memid, raw.data(), static_cast<UINT>(raw.size()), &count);
        for (UINT i = 0; i < count; ++i) names[i].reset(raw[i]);
        std::wstring text;
        for (SHORT i = 0; i < function.cParams; ++i) {
            const PARAMDESC& param = function.lprgelemdescParam[i].paramdesc;
            std::wstring flags;
            if (param.wParamFlags & PARAMFLAG_FIN) flags += L"in,";
            if (param.wParamFlags & PARAMFLAG_FOUT) flags += L"out,";
            if (param.wParamFlags & PARAMFLAG_FRETVAL) flags += L"retval,";
            if (param.wParamFlags & PARAMFLAG_FOPT) flags += L"opt,";
            if (param.wParamFlags & PARAMFLAG_FHASDEFAULT) {
                flags += L"=" + std::to_wstring(V_I4(&param.pparamdescex->varDefaultValue)) + L",";
            }
            flags.pop_back();
            text += (text.empty() ? L"" : L" ") + std::wstring(view(names[i + 1].get())) + L":[" + flags + L"]";
        }
        return text;
    }

    ComPtr<ITypeLib> library_;
    SYSKIND platform_ = SYS_WIN32;
};

TEST_F(TypeLibrary, LibraryIsCorvastel2)
{
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_Corvastel));
    EXPECT_EQ(attributes->wMajorVerNum, 2);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, platform_);
    library_->ReleaseTLibAttr(attributes);
    UniqueBstr name;
    library_->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
    EXPECT_EQ(view(name.get()), L"Corvastel");
    EXPECT_EQ(library_->GetTypeInfoCount(), 4u);
}

TEST_F(TypeLibrary, InterfaceIsAHiddenDualInterfaceWithSixOperationsAfterIDispatch)
{
    ComPtr<ITypeInfo> dispatch = typeInfo(IID__clsRegistry);
    const Attributes attributes = attributesOf(dispatch.Get());
    EXPECT_EQ(attributes.major, 1);
    EXPECT_EQ(attributes.minor, 0);
    const WORD flags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(attributes.flags, flags);

    // The vtable half of the dual interface gives the slots.
    HREFTYPE vtableReference = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtableReference), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtableReference, &vtable), S_OK);
    const Attributes vtableAttributes = attributesOf(vtable.Get());
    EXPECT_EQ(vtableAttributes.kind, TKIND_INTERFACE);
    EXPECT_EQ(vtableAttributes.flags, flags | TYPEFLAG_FOLEAUTOMATION);
    ASSERT_EQ(vtableAttributes.functions, 6);

    const wchar_t* expected[] = {
        L"regDelete_Sub_Key lngRootKey:[in] strRegKeyPath:[in] strRegSubKey:[in] result:[out,retval]",
        L"regDoes_Key_Exist lngRootKey:[in,out] strRegKeyPath:[in,out] result:[out,retval]",
        L"regQuery_A_Key lngRootKey:[in] strRegKeyPath:[in] strRegSubKey:[in] result:[out,retval]",
        L"regCreate_Key_Value lngRootKey:[in] strRegKeyPath:[in] strRegSubKey:[in] varRegData:[in,out] "
        L"lngDataType:[in,out,opt,=0]",
        L"regCreate_A_Key lngRootKey:[in] strRegKeyPath:[in] result:[out,retval]",
        L"regDelete_A_Key lngRootKey:[in] strRegKeyPath:[in] strRegKeyName:[in] result:[out,retval]",
    };
    for (UINT index = 0; index < 6; ++index) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(index, &function), S_OK);
        EXPECT_EQ(function->memid, static_cast<MEMBERID>(0x60030000 + index));
        EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + index) * sizeof(void*))) << "slot of function " << index;
        EXPECT_EQ(nameOf(vtable.Get(), function->memid) + L" " + parametersOf(vtable.Get(), *function),
                  expected[index]);
        vtable->ReleaseFuncDesc(function);
    }
}

TEST_F(TypeLibrary, ClassIsCreatableWithTheInterfaceAsItsDefault)
{
    ComPtr<ITypeInfo> coclass = typeInfo(CLSID_clsRegistry);
    const Attributes attributes = attributesOf(coclass.Get());
    EXPECT_EQ(attributes.kind, TKIND_COCLASS);
    EXPECT_EQ(attributes.flags, TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes.major, 1);
    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> implemented;
    coclass->GetRefTypeOfImplType(0, &reference);
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, &implemented), S_OK);
    EXPECT_EQ(nameOf(implemented.Get(), MEMBERID_NIL), L"_clsRegistry");
}

TEST_F(TypeLibrary, EnumerationsListTheirMembersInDeclarationOrder)
{
    const GUID dataTypeId = {0x5F8D58A6, 0x35FB, 0x49FA, {0xAB, 0x1C, 0x87, 0xDB, 0x34, 0x1B, 0x79, 0xFE}};
    const GUID rootKeyId = {0xC1C0488F, 0x7550, 0x42CE, {0xB3, 0xD6, 0x5A, 0xCD, 0x66, 0xBE, 0x4E, 0x2F}};
    const std::pair<GUID, std::wstring> enumerations[] = {
        {dataTypeId, L"RegDataType: REG_NONE=0 REG_SZ=1 REG_EXPAND_SZ=2 REG_BINARY=3 REG_DWORD=4 "
                     L"REG_DWORD_LITTLE_ENDIAN=4 REG_DWORD_BIG_ENDIAN=5 REG_LINK=6 REG_MULTI_SZ=7 "
                     L"REG_RESOURCE_LIST=8 REG_FULL_RESOURCE_DESCRIPTOR=9 REG_RESOURCE_REQUIREMENTS_LIST=10"},
        {rootKeyId, L"RegRootKey: HKEY_CLASSES_ROOT=-2147483648 HKEY_CURRENT_USER=-2147483647 "
                    L"HKEY_LOCAL_MACHINE=-2147483646 HKEY_USERS=-2147483645 HKEY_CURRENT_CONFIG=-2147483643 "
                    L"HKEY_PERFORMANCE_DATA=-2147483644 HKEY_DYN_DATA=-2147483642"},
    };
    for (const auto& [id, expected] : enumerations) {
        ComPtr<ITypeInfo> info = typeInfo(id);
        const Attributes attributes = attributesOf(info.Get());
        EXPECT_EQ(attributes.kind, TKIND_ENUM);
        EXPECT_EQ(attributes.major, 1);
        std::wstring members = nameOf(info.Get(), MEMBERID_NIL) + L":";
        for (UINT index = 0; index < attributes.variables; ++index) {
            VARDESC* member = nullptr;
            ASSERT_EQ(info->GetVarDesc(index, &member), S_OK);
            members += L" " + nameOf(info.Get(), member->memid) + L"=" + std::to_wstring(V_I4(member->lpvarValue));
            info->ReleaseVarDesc(member);
        }
        EXPECT_EQ(members, expected);
    }
}

// The file as Windows reads it: exports, resources and version information.
TEST(ModuleFile, ExportsTheFourEntryPointsByNameAndOrdinal)
{
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(corvastelDll(), names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(corvastelDll(), MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
    }
    const auto* base = reinterpret_cast<const BYTE*>(corvastelDll());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_STREQ(reinterpret_cast<const char*>(base + exports->Name), "Corvastel.dll");
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 4u);
    EXPECT_EQ(exports->NumberOfNames, 4u);
}

TEST(ModuleFile, CarriesTheTypeLibraryAndTheInterfaceIdAsResources)
{
    EXPECT_NE(FindResourceW(corvastelDll(), MAKEINTRESOURCEW(1), L"TYPELIB"), nullptr);
    HRSRC found = FindResourceW(corvastelDll(), MAKEINTRESOURCEW(1), L"_IID_CLSREGISTRY");
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(corvastelDll(), found), 20u);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(corvastelDll(), found)));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(data), 16u);
    EXPECT_TRUE(IsEqualGUID(*reinterpret_cast<const GUID*>(data + 4), IID__clsRegistry));
}

TEST(ModuleFile, VersionInformationDescribesCorvastel2)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(corvastelDll(), path, MAX_PATH);
    std::vector<BYTE> version(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(version.size()), version.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    EXPECT_EQ(translation[0], 0x0410);
    EXPECT_EQ(translation[1], 0x04B0);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"2.00"}, {L"ProductVersion", L"2.00"}, {L"ProductName", L"Corvastel"},
        {L"InternalName", L"Corvastel"}, {L"OriginalFilename", L"Corvastel.dll"}, {L"OLESelfRegister", L""},
    };
    for (const auto& [name, expected] : strings) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041004B0\\") + name;
        EXPECT_TRUE(VerQueryValueW(version.data(), query.c_str(), reinterpret_cast<void**>(&value), &size)) << "entry";
        EXPECT_EQ(std::wstring(value ? value : L"?"), expected);
    }
}

}  // namespace
}  // namespace corvastel::testing
