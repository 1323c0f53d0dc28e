#include "class_factory.h"

#include "call.h"
#include "dict_edit.h"
#include "engine_control.h"
#include "engine_state.h"
#include "module.h"

namespace standin {
namespace {

class ClassFactory : public IClassFactory
{
public:
    ClassFactory(const char* operation, IUnknown* (*make)()) : operation_(operation), make_(make) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factories are static: they live as long as the DLL.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        // Each creation sees the scenario as it is now, so a test can change it between runs.
        RefreshScenario();
        Call call(operation_, IID_IClassFactory);
        if (call.Injected())
            return call.Result();
        if (outer)
            return call.Finish(CLASS_E_NOAGGREGATION);
        IUnknown* object = make_();
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return call.Finish(hr);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        LockModule(lock != FALSE);
        return S_OK;
    }

private:
    const char* operation_;
    IUnknown* (*make_)();
};

ClassFactory gEngineControlFactory("DgnEngineControl.Create",
                                   [] { return static_cast<IUnknown*>(NewEngineControl()); });
ClassFactory gDictEditFactory("DgnDictEdit.Create",
                              [] { return static_cast<IUnknown*>(NewDictEdit()); });

} // namespace

HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid == CLSID_DgnEngineControl)
        return gEngineControlFactory.QueryInterface(iid, out);
    if (clsid == CLSID_DgnDictEdit)
        return gDictEditFactory.QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace standin
