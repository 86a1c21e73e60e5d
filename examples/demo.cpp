// A tour of clsRegistry from C++: create a key, write a string, a number and a byte,
// read them back, test the key, delete a value and the key, and catch an error.

#include "platform/basic_errors.h"
#include "registry/cls_registry.h"

#include <cstdio>
#include <string>

using namespace corvastel;

namespace {

const RegRootKey currentUser = rootKeyOf(HKEY_CURRENT_USER);
const std::wstring demoKey = L"Software\\Corvastel Demo";
const std::wstring settingsKey = demoKey + L"\\Settings";

std::wstring shown(const VARIANT& value)
{
    return V_VT(&value) == VT_I4 ? std::to_wstring(V_I4(&value)) : L"\"" + std::wstring(view(V_BSTR(&value))) + L"\"";
}

void write(clsRegistry& reg, const wchar_t* name, const UniqueVariant& data, RegDataType type)
{
    const HRESULT hr = reg.regCreate_Key_Value(currentUser, settingsKey, name, data.get(), type);
    if (FAILED(hr)) {
        std::wprintf(L"  writing %ls failed: error %u, %ls\n", name, HRESULT_CODE(hr), describeBasicError(hr).data());
    } else {
        std::wprintf(L"  wrote %ls as registry type %d\n", name, type);
    }
}

void read(clsRegistry& reg, const wchar_t* name)
{
    UniqueVariant value;
    if (SUCCEEDED(reg.regQuery_A_Key(currentUser, settingsKey, name, value))) {
        std::wprintf(L"  %ls = %ls\n", name, shown(value.get()).c_str());
    }
}

}  // namespace

int main()
{
    clsRegistry reg;
    std::wprintf(L"Creating HKEY_CURRENT_USER\\%ls\n", settingsKey.c_str());
    reg.regCreate_A_Key(currentUser, settingsKey);
    std::wprintf(L"  exists: %ls\n", reg.regDoes_Key_Exist(currentUser, settingsKey) ? L"yes" : L"no");

    std::wprintf(L"Writing values (type 0 lets the class choose: numbers become DWORDs, the rest strings)\n");
    write(reg, L"Greeting", textVariant(L"  Hello from Corvastel  "), static_cast<RegDataType>(REG_NONE));
    write(reg, L"Answer", textVariant(L"42"), static_cast<RegDataType>(REG_NONE));
    write(reg, L"Flags", longVariant(7), static_cast<RegDataType>(REG_BINARY));
    write(reg, L"TooBig", longVariant(300), static_cast<RegDataType>(REG_BINARY));

    std::wprintf(L"Reading them back (spaces around text are trimmed on the way in)\n");
    for (const wchar_t* name : {L"Greeting", L"Answer", L"Flags", L"Missing"}) read(reg, name);

    std::wprintf(L"Deleting the value Greeting (regDelete_Sub_Key deletes a value)\n");
    reg.regDelete_Sub_Key(currentUser, settingsKey, L"Greeting");
    read(reg, L"Greeting");

    std::wprintf(L"Deleting the keys\n");
    const bool settingsDeleted = reg.regDelete_A_Key(currentUser, demoKey, L"Settings");
    const bool demoDeleted = reg.regDelete_A_Key(currentUser, L"Software", L"Corvastel Demo");
    std::wprintf(L"  deleted: %ls, %ls; exists now: %ls\n", settingsDeleted ? L"yes" : L"no",
                 demoDeleted ? L"yes" : L"no", reg.regDoes_Key_Exist(currentUser, demoKey) ? L"yes" : L"no");
    return settingsDeleted && demoDeleted ? 0 : 1;
}
