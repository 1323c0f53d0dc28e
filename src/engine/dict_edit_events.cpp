#include "engine/dict_edit_events.h"

#include <algorithm>

#include "app/main_dialog.h"
#include "engine/dgn_interfaces.h"

const DictEditEvents::SinkEntry DictEditEvents::kSinkMap[] = {
    {kDgnEventTranscriptionEnded, &DictEditEvents::OnTranscriptionEnded},
    {kDgnEventResultReady, &DictEditEvents::OnResultReady},
    {kDgnEventRecognitionStarted, &DictEditEvents::OnRecognitionStarted},
};

STDMETHODIMP DictEditEvents::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DDgnDictEditEvents) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP DictEditEvents::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP DictEditEvents::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info)
{
    if (info == nullptr)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    return EventTypeInfo(locale, info);
}

STDMETHODIMP DictEditEvents::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                           DISPID* ids)
{
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = EventTypeInfo(locale, info.GetAddressOf());
    if (FAILED(hr))
        return hr;
    return info->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP DictEditEvents::Invoke(DISPID id, REFIID, LCID locale, WORD, DISPPARAMS*, VARIANT*,
                                    EXCEPINFO*, UINT*)
{
    // Ids the sink has no entry for, and events the type library cannot describe, are
    // answered S_OK and otherwise ignored; a handler's outcome never reaches the engine.
    for (const SinkEntry& entry : kSinkMap) {
        if (entry.id != id)
            continue;
        if (Describes(id, locale))
            (this->*entry.handler)();
        return S_OK;
    }
    return S_OK;
}

HRESULT DictEditEvents::EventTypeInfo(LCID locale, ITypeInfo** info)
{
    if (!typeInfo_) {
        Microsoft::WRL::ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, locale,
                                    library.GetAddressOf());
        if (FAILED(hr))
            return hr;
        hr = library->GetTypeInfoOfGuid(DIID__DDgnDictEditEvents, typeInfo_.GetAddressOf());
        if (FAILED(hr))
            return hr;
    }
    return typeInfo_.CopyTo(info);
}

bool DictEditEvents::Describes(DISPID id, LCID locale)
{
    // Once the library has described an event it is kept, like the library itself: every
    // event would otherwise walk the descriptions again inside the measured span.
    if (std::find(described_.begin(), described_.end(), id) != described_.end())
        return true;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    if (FAILED(EventTypeInfo(locale, info.GetAddressOf())))
        return false;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)))
        return false;
    bool found = false;
    for (UINT i = 0; i < attributes->cFuncs && !found; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        found = function->memid == id;
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);
    if (found)
        described_.push_back(id);
    return found;
}

void DictEditEvents::OnTranscriptionEnded()
{
    Owner.OnTranscriptionEnded();
}

void DictEditEvents::OnResultReady()
{
    Owner.OnResultReady();
}

void DictEditEvents::OnRecognitionStarted()
{
    Owner.OnRecognitionStarted();
}
