#include "app/main_dialog.h"

#include <commctrl.h>
#include <cwchar>

#include "app/com_owners.h"
#include "engine/engine_objects.h"
#include "engine/profile_text.h"
#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kNoUserLoaded[] = L"This application requires a user to be loaded before it will "
                                L"run.\nThe application will be shut down.\n";
constexpr LONG kSpeedAccuracyParameter = 7;

} // namespace

bool MainDialog::ConnectEngine()
{
    ComPtr<IDgnEngineControl> engine;
    HRESULT hr = CreateEngineControl(engine);
    if (FAILED(hr)) {
        ReportHResult(L"Couldn't create a DgnEngineControl", hr, true);
        return false;
    }

    // Not examined: a failed query shows whatever the numbers were left at.
    short major = 0, minor = 0, build = 0;
    engine->GetEngineVersion(&major, &minor, &build);
    SetDlgItemTextW(Window(), IDC_ENGINE_VERSION, EngineVersionText(major, minor, build).c_str());

    Bstr speaker;
    hr = engine->get_Speaker(speaker.Out());
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEngine::get_Speaker failed", hr, true);
        return false;
    }
    if (speaker.Empty()) {
        MessageBoxW(Window(), kNoUserLoaded, L"Engine Not Available", MB_ICONWARNING | MB_OK);
        EndDialog(Window(), IDCANCEL);
        return false;
    }

    LONG source = 0;
    engine->GetCurrentSource(&source);

    std::wstring modelVocabulary;
    Bstr model;
    if (SUCCEEDED(engine->GetModelName(speaker.Get(), source, model.Out())) && !model.Empty()) {
        modelVocabulary = model.Text();
        SetDlgItemTextW(Window(), IDC_MODEL_VOCABULARY, modelVocabulary.c_str());
    }
    Bstr vocabulary;
    if (SUCCEEDED(engine->GetVocabularyName(vocabulary.Out())) && !vocabulary.Empty()) {
        modelVocabulary += L" -- ";
        modelVocabulary += vocabulary.Text();
        SetDlgItemTextW(Window(), IDC_MODEL_VOCABULARY, modelVocabulary.c_str());
    }
    // Without a source name the user name is not shown either.
    Bstr sourceName;
    if (SUCCEEDED(engine->GetSourceName(source, sourceName.Out())) && !sourceName.Empty()) {
        std::wstring profile = std::wstring(speaker.Text()) + L"  --  " + sourceName.Text();
        SetDlgItemTextW(Window(), IDC_PROFILE_SOURCE, profile.c_str());
    }

    LONG state = 0;
    engine->GetState(0, &state);

    Variant parameter;
    if (SUCCEEDED(engine->GetParameter(kSpeedAccuracyParameter, parameter.Out()))) {
        short value = LowSigned16(parameter.Get());
        HWND slider = Item(IDC_SPEED_ACCURACY);
        SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageW(slider, TBM_SETTICFREQ, 25, 0);
        SendMessageW(slider, TBM_SETPOS, TRUE, value);
        wchar_t text[64];
        std::swprintf(text, 64, L"%d", value);
        SetDlgItemTextW(Window(), IDC_CURRENT_SPEED, text);
    }
    return true;
}
