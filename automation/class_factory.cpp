#include "automation/class_factory.h"

#include "automation/module.h"
#include "automation/registry_object.h"

namespace corvastel::automation {
namespace {

class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        lockServer();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        unlockServer();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return RegistryObject::create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? lockServer() : unlockServer();
        return S_OK;
    }
};

}  // namespace

IClassFactory& classFactory() noexcept
{
    static ClassFactory factory;
    return factory;
}

}  // namespace corvastel::automation
