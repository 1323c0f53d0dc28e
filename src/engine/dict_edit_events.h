// The dialog's sink for the dictation object's events. It lives inside the dialog and is
// not reference-counted. Events are delivered as the engine's type library describes them;
// without that library they are dropped silently.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>
#include <vector>

class MainDialog;

class DictEditEvents : public IDispatch
{
public:
    static constexpr DWORD kNotConnected = 0xFEFEFEFE;

    explicit DictEditEvents(MainDialog& owner) : Owner(owner) {}
    DictEditEvents(const DictEditEvents&) = delete;
    DictEditEvents& operator=(const DictEditEvents&) = delete;
    virtual ~DictEditEvents() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    DWORD Cookie = kNotConnected;

private:
    // Loaded on first use and kept; a failed load is tried again at the next event.
    HRESULT EventTypeInfo(LCID locale, ITypeInfo** info);
    bool Describes(DISPID id, LCID locale);

    void OnTranscriptionEnded();
    void OnResultReady();
    void OnRecognitionStarted();

    struct SinkEntry
    {
        DISPID id;
        void (DictEditEvents::*handler)();
    };
    static const SinkEntry kSinkMap[];

    MainDialog& Owner;
    Microsoft::WRL::ComPtr<ITypeInfo> typeInfo_;
    std::vector<DISPID> described_;
};
