#include "app/main_dialog.h"

#include "app/com_owners.h"
#include "audio/snr_text.h"
#include "engine/engine_objects.h"
#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

LRESULT MainDialog::OnCheckSnr(WORD, WORD, HWND)
{
    // The old value goes at once; a failure below leaves 0.000.
    ShowSnr(0.0);
    std::wstring path = AudioPath();
    if (!CheckAudioPath(path))
        return 0;

    ComPtr<IDgnEngineControl> engine;
    HRESULT hr = CreateEngineControl(engine);
    if (FAILED(hr)) {
        ReportHResult(L"Failed to create DgnEngineControl object", hr, false);
        return 0;
    }
    double ratio = 0.0;
    Bstr file(path.c_str(), static_cast<UINT>(path.size()));
    if (file.Get() == nullptr)
        return 0;
    hr = engine->GetWaveFileSNR(file.Get(), &ratio);
    if (FAILED(hr)) {
        ReportHResult(L"IDgnCustomDictation::GetWaveFileSNR() failed", hr, false);
        return 0;
    }
    ShowSnr(ratio);
    return 0;
}

void MainDialog::ShowSnr(double ratio)
{
    SetDlgItemTextW(Window(), IDC_SNR, SnrText(ratio).c_str());
}
