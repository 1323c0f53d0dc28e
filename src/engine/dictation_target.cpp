#include "app/main_dialog.h"

#include "app/com_owners.h"
#include "engine/engine_objects.h"
#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr LONG kRegisterFlags = 4;
constexpr LONG kEditControlSupport = 5;
constexpr LONG kNatText = 6;
constexpr LONG kUseConfidence = 1;

HRESULT FindEventPoint(IDgnEditDictation* dictation, ComPtr<IConnectionPoint>& point)
{
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = dictation->QueryInterface(IID_PPV_ARGS(&container));
    if (FAILED(hr))
        return hr;
    return container->FindConnectionPoint(DIID__DDgnDictEditEvents, point.GetAddressOf());
}

} // namespace

bool MainDialog::RegisterDictationTarget()
{
    HRESULT hr = CreateDictEdit(Dictation);
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't create a DgnDictEdit object", hr, true);
        return false;
    }

    Variant flags(kRegisterFlags);
    hr = Dictation->Register(Item(IDC_TRANSCRIPTION), flags.Get());
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEditDictation::Register() failed", hr, true);
        return false;
    }

    ComPtr<IConnectionPoint> point;
    hr = FindEventPoint(Dictation.Get(), point);
    if (SUCCEEDED(hr))
        hr = point->Advise(static_cast<IDispatch*>(&Events), &Events.Cookie);
    if (FAILED(hr)) {
        Events.Cookie = DictEditEvents::kNotConnected;
        ReportHResult(L"Couldn't advise the DgnDictEdit sink", hr, true);
        return false;
    }
    return true;
}

bool MainDialog::ApplyEngineSettings()
{
    ComPtr<IDgnEngineControl> engine;
    HRESULT hr = CreateEngineControl(engine);
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't create a DgnEngineControl", hr, true);
        return false;
    }
    hr = engine->SetFeature(kEditControlSupport, 0, 0);
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't disable Edit Control Support", hr, true);
        return false;
    }
    hr = engine->SetFeature(kNatText, 0, 0);
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't disable NatText", hr, true);
        return false;
    }
    Variant on(1);
    hr = engine->SetParameter(kUseConfidence, on.Get());
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't enable UseConfidence", hr, true);
        return false;
    }
    return true;
}

void MainDialog::ReleaseDictationTarget()
{
    if (!Dictation)
        return;
    if (Events.Cookie != DictEditEvents::kNotConnected) {
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(FindEventPoint(Dictation.Get(), point)))
            point->Unadvise(Events.Cookie);
        Events.Cookie = DictEditEvents::kNotConnected;
    }
    // Empty the member before the object goes, so nothing reaches it while it is released.
    ComPtr<IDgnEditDictation> released;
    released.Swap(Dictation);
    released.Reset();
}
