// The scripted session that scripts/run plays when there is no display: it works the real
// dialog through the driver, as a user would, and leaves what it made in one folder.
#include <windows.h>
#include <cstdio>
#include <string>

#include "files.h"
#include "resources/resource.h"
#include "screenshot.h"
#include "tarvell_driver.h"

namespace {

constexpr DWORD kTranscriptionTimeoutMs = 120000;

void Say(const std::wstring& text)
{
    std::wprintf(L"%ls\n", text.c_str());
    std::fflush(stdout);
}

// Names a file in the save dialog that the click opens, and waits for the file.
bool SaveThroughDialog(driver::Tarvell& tarvell, int button, const std::wstring& path)
{
    DeleteFileW(path.c_str());
    tarvell.Click(button);
    std::optional<HWND> dialog = tarvell.WaitForFileDialog();
    if (!dialog)
        return false;
    tarvell.SetFileDialogName(*dialog, path);
    tarvell.ConfirmFileDialog(*dialog);
    return driver::WaitUntil([&] { return testfiles::Exists(path); });
}

int Fail(const std::wstring& what)
{
    Say(L"The demo stopped: " + what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Fail(L"usage: tarvell_demo <output folder> <sample.wav>");
    std::wstring folder = argv[1];
    if (folder.back() != L'\\')
        folder += L'\\';
    std::wstring sample = argv[2];
    CreateDirectoryW(folder.c_str(), nullptr);

    driver::Tarvell tarvell;
    if (!tarvell.WaitForDialog() || !tarvell.MessageBoxes().empty())
        return Fail(L"the dialog did not come up cleanly.");
    Say(L"Tarvell is running against the stand-in engine, version " +
        tarvell.Text(IDC_ENGINE_VERSION) + L", profile " + tarvell.Text(IDC_PROFILE_SOURCE) + L".");

    tarvell.SetText(IDC_PATH, sample);
    tarvell.Click(IDC_CHECK_SNR);
    driver::WaitUntil([&] { return tarvell.Text(IDC_SNR) != L"0.000"; }, 5000);
    Say(L"Signal-to-noise ratio of the sample: " + tarvell.Text(IDC_SNR) + L" dB.");

    tarvell.Click(IDC_TRANSCRIBE);
    if (!driver::WaitUntil([&] { return tarvell.IsEnabled(IDC_STOP); }))
        return Fail(L"the transcription did not start.");
    Say(L"Transcribing " + sample + L" ...");
    if (!driver::WaitUntil([&] { return !tarvell.IsEnabled(IDC_STOP); }, kTranscriptionTimeoutMs))
        return Fail(L"the transcription did not end.");
    Say(L"Done: " + tarvell.Text(IDC_UTTERANCES) + L" utterances, " + tarvell.Text(IDC_WORDS) +
        L" words, average real-time factor " + tarvell.Text(IDC_AVERAGE_RTF) + L".");

    std::wstring screenshot = folder + L"tarvell.png";
    Sleep(500); // the last repaint
    if (!driver::SaveWindowPng(tarvell.Dialog(), screenshot))
        return Fail(L"no screenshot.");
    std::wstring log = folder + L"session-log.txt";
    if (!SaveThroughDialog(tarvell, IDC_SAVE_LOG, log))
        return Fail(L"the session log was not saved.");
    std::wstring text = folder + L"transcript.txt";
    if (!SaveThroughDialog(tarvell, IDC_EXPORT_TEXT, text))
        return Fail(L"the text was not exported.");

    tarvell.Click(IDOK);
    std::optional<DWORD> code = tarvell.WaitForExit();
    if (!code)
        return Fail(L"Tarvell did not end.");

    std::string saved = testfiles::Read(log);
    Say(L"\nThe saved session log:\n");
    std::printf("%s", saved.c_str());
    std::fflush(stdout);
    if (saved.find("Utterance #: 1 ") == std::string::npos)
        return Fail(L"the saved log holds no utterance.");
    if (!testfiles::Exists(screenshot))
        return Fail(L"the screenshot is missing.");
    Say(L"\nSession log:  " + log);
    Say(L"Transcript:   " + text);
    Say(L"Screenshot:   " + screenshot);
    return 0;
}
