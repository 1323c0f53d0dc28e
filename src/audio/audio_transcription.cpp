#include "app/main_dialog.h"

#include <commdlg.h>

#include "app/com_owners.h"
#include "engine/engine_objects.h"
#include "records/log_text.h"
#include "resources/resource.h"

namespace {

constexpr LONG kTranscriptionOption = 8;

const wchar_t kAudioFilter[] = L"Sound Files (all formats)\0*.wav;*.wma;*.mp3;*.ds2;*.dss\0"
                               L"Wave Files (*.wav)\0*.wav\0"
                               L"WMA Files (*.wma)\0*.wma\0"
                               L"MP3 Files (*.mp3)\0*.mp3\0"
                               L"DS2 Files (*.ds2)\0*.ds2\0"
                               L"DSS Files (*.dss)\0*.dss\0"
                               L"All Files (*.*)\0*.*\0";

const wchar_t kFormatHint[] =
    L"Please make sure that the Wav file exists and has 16-bit PCM mono format with sampling "
    L"rate between 8 kHz (for telephony) and 99 kHz, or ADPCM (IMA and Microsoft) format.";

} // namespace

std::wstring MainDialog::AudioPath() const
{
    // A longer path is used cut to what the buffer holds.
    wchar_t path[kPathCapacity] = {};
    GetDlgItemTextW(Window(), IDC_PATH, path, static_cast<int>(kPathCapacity));
    return path;
}

bool MainDialog::CheckAudioPath(const std::wstring& path)
{
    if (!path.empty())
        return true;
    ShowError(L"Please specify the name and path of the audio source file", false);
    SetFocus(Item(IDC_TRANSCRIPTION));
    return false;
}

LRESULT MainDialog::OnBrowse(WORD, WORD, HWND)
{
    wchar_t name[kPathCapacity] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Window();
    dialog.lpstrFilter = kAudioFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = static_cast<DWORD>(kPathCapacity);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog))
        SetDlgItemTextW(Window(), IDC_PATH, name);
    return 0;
}

LRESULT MainDialog::OnTranscribe(WORD, WORD, HWND)
{
    std::wstring path = AudioPath();
    if (!CheckAudioPath(path)) {
        SetFocus(Item(IDC_PATH));
        return 0;
    }
    if (!Dictation)
        return 0;
    Variant on(1);
    Dictation->SetOption(kTranscriptionOption, on.Get());

    Bstr file(path.c_str(), static_cast<UINT>(path.size()));
    if (file.Get() == nullptr)
        return 0;
    transcriptionEnded_ = false;
    HRESULT hr = Dictation->TranscribeFile(file.Get());
    if (SUCCEEDED(hr)) {
        if (!transcriptionEnded_)
            SetBusy(true);
        return 0;
    }
    if (hr == E_NOTIMPL) {
        ShowError(L"The version of Dragon NaturallySpeaking currently running does not support "
                  L"transcription.",
                  true);
        return 0;
    }
    ReportHResult(L"IDgnEditDictation::TranscribeFile() failed", hr, false);
    if (hr == E_INVALIDARG)
        ShowError(kFormatHint, false);
    return 0;
}

LRESULT MainDialog::OnStop(WORD, WORD, HWND)
{
    if (!Dictation)
        return 0;
    // Only a request: the dialog stays busy until the engine reports the end, unless the
    // engine's process has gone, when no end can come and only Escape would leave the dialog.
    HRESULT hr = Dictation->TranscribeStop();
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEditDictation::TranscribeStop() failed", hr, false);
        if (EngineProcessGone(hr))
            SetBusy(false);
    }
    return 0;
}
