// The library's entry point and its four exports.
#include <initguid.h>  // defines the identities that the generated header declares

#include "automation/class_factory.h"
#include "automation/error_info.h"
#include "automation/module.h"
#include "automation/registration.h"
#include "automation/registry_object.h"

using namespace corvastel::automation;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        attachModule(instance);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        // At process exit (reserved set) oleaut32 may already be gone: leave it be.
        if (!reserved) RegistryObject::releaseTypeInformation();
        break;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return moduleIsInUse() ? S_FALSE : S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_clsRegistry)) return CLASS_E_CLASSNOTAVAILABLE;
    return classFactory().QueryInterface(iid, object);
}

STDAPI DllRegisterServer()
{
    return guarded(registerServer);
}

STDAPI DllUnregisterServer()
{
    return guarded(unregisterServer);
}
