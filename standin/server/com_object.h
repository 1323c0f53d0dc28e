// Reference counting and a type-less IDispatch for the stand-in's objects: the program calls
// every operation through the vtable, never by name.
#pragma once

#include "module.h"

#include <windows.h>

#include <atomic>

namespace standin {

template <class Interface, ObjectKind Kind> class DispatchObject : public Interface
{
public:
    DispatchObject() { ObjectCreated(Kind); }
    virtual ~DispatchObject() { ObjectDestroyed(Kind); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        return QueryOther(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    // Interfaces beyond the main one.
    virtual HRESULT QueryOther(REFIID, void** out)
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> references_{1};
};

} // namespace standin
