// The _DDgnDictEditEvents connection point of DgnDictEdit: advised sinks and event delivery.
#pragma once

#include <ocidl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

namespace standin {

class EventConnectionPoint : public IConnectionPoint
{
public:
    // The container owns the point; the point's references are the container's.
    explicit EventConnectionPoint(IConnectionPointContainer* container) : container_(container) {}
    ~EventConnectionPoint();
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls every advised sink's Invoke with the dispatch id and no arguments.
    void Raise(DISPID id);

private:
    IConnectionPointContainer* container_;
    std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
};

} // namespace standin
