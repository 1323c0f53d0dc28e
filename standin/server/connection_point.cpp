#include "connection_point.h"

#include "call.h"
#include "journal.h"

#include "engine/dgn_interfaces.h"

#include <olectl.h>
#include <string>

namespace standin {

using Microsoft::WRL::ComPtr;

EventConnectionPoint::~EventConnectionPoint() = default;

STDMETHODIMP EventConnectionPoint::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = DIID__DDgnDictEditEvents;
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out)
{
    if (!out)
        return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    Call call("IConnectionPoint.Advise", IID_IConnectionPoint);
    if (cookie)
        *cookie = 0;
    if (call.Injected())
        return call.Result();
    if (!sink || !cookie)
        return call.Finish(E_POINTER);
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(DIID__DDgnDictEditEvents,
                                    reinterpret_cast<void**>(events.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_PPV_ARGS(&events))))
        return call.Finish(CONNECT_E_CANNOTCONNECT);
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, events);
    return call.Finish(S_OK, std::to_string(*cookie));
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie)
{
    Call call("IConnectionPoint.Unadvise", IID_IConnectionPoint, std::to_string(cookie));
    if (call.Injected())
        return call.Result();
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            sinks_.erase(it);
            return call.Finish(S_OK);
        }
    }
    return call.Finish(CONNECT_E_NOCONNECTION);
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Raise(DISPID id)
{
    // A sink may unadvise, or release the source, from inside its handler.
    auto sinks = sinks_;
    ComPtr<IConnectionPointContainer> keepAlive(container_);
    if (sinks.empty())
        JournalLine("event-unheard", {std::to_string(id)});
    for (auto& [cookie, sink] : sinks) {
        DISPPARAMS none{};
        JournalLine("event-begin", {std::to_string(id)});
        HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                  nullptr, nullptr, nullptr);
        JournalLine("event-end", {std::to_string(id), HResultText(hr)});
    }
}

} // namespace standin
