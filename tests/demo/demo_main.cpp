// The scripted session that scripts/run plays when there is no display: it works the real
// dialog through the driver, as a user would, and leaves what it made in one folder. The
// files are transcribed once per slider position (0, 50, 100), each in a fresh program so
// that each session log holds that position alone. With --live, a fresh program at the
// middle position then takes the same files as live dictation: each played into the
// recogniser's virtual microphone at the pace it was spoken.
//
//   tarvell_demo [--live] FOLDER FILE.wav...         the three positions (and live), logs
//   tarvell_demo --screenshot IMAGE.png FILE.wav...  one run at the middle position, pictured
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>

#include "files.h"
#include "resources/resource.h"
#include "screenshot.h"
#include "standin_control.h"
#include "sweep_text.h"
#include "tarvell_driver.h"

namespace {

namespace control = standin::control;

// The recogniser decodes an utterance whole before it is reported, and under emulation
// everything is slower: a transcription may show nothing new for this long and still be at work.
constexpr DWORD kUtteranceTimeoutMs = 120000;
constexpr int kPositions[] = {0, 50, 100};
// The middle position, the engine's usual setting: its text is exported, and the
// screenshot shows it.
constexpr int kMiddlePosition = 50;

void Say(const std::wstring& text)
{
    std::wprintf(L"%ls\n", text.c_str());
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L"\\/") + 1);
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

// Moves the slider as a user's drag would end: the program writes the engine's setting when
// the slider repaints, and shows the position under "Current:".
bool SetSlider(const driver::Tarvell& tarvell, int position)
{
    HWND slider = tarvell.Control(IDC_SPEED_ACCURACY);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(slider, TBM_SETPOS, TRUE, position, SMTO_BLOCK, driver::kTimeoutMs,
                        &ignored);
    InvalidateRect(slider, nullptr, TRUE);
    UpdateWindow(slider);
    return driver::WaitUntil(
        [&] { return tarvell.Text(IDC_CURRENT_SPEED) == std::to_wstring(position); });
}

int Utterances(const driver::Tarvell& tarvell)
{
    return _wtoi(tarvell.Text(IDC_UTTERANCES).c_str());
}

// Transcribes one file and waits for its end; false when it never started or never ended.
bool Transcribe(const driver::Tarvell& tarvell, const std::wstring& path)
{
    tarvell.SetText(IDC_PATH, path);
    int before = Utterances(tarvell);
    tarvell.Click(IDC_TRANSCRIBE);
    // A short file may be done before the first look.
    if (!driver::WaitUntil(
            [&] { return tarvell.IsEnabled(IDC_STOP) || Utterances(tarvell) != before; }))
        return false;
    return driver::WaitWhileProgressing([&] { return !tarvell.IsEnabled(IDC_STOP); },
                                        [&] { return Utterances(tarvell); }, kUtteranceTimeoutMs);
}

struct Demo
{
    std::wstring folder;
    std::vector<std::wstring> files;
    bool live = false;
    std::vector<demo::PositionRun> runs;
};

int Fail(const std::wstring& what)
{
    Say(L"The demo stopped: " + what);
    return 1;
}

// The end of one program run: its figures said, its session log saved and read back.
int Finish(Demo& demo, driver::Tarvell& tarvell, demo::PositionRun& run, const std::wstring& title,
           const std::wstring& log, const wchar_t* note = nullptr)
{
    Say(title + L": " + tarvell.Text(IDC_UTTERANCES) + L" utterances, " + tarvell.Text(IDC_WORDS) +
        L" words, average real-time factor " + tarvell.Text(IDC_AVERAGE_RTF) + L", average score " +
        tarvell.Text(IDC_TOTAL_AVERAGE_SCORE) + L".");
    if (note)
        Say(note);
    if (!SaveThroughDialog(tarvell, IDC_SAVE_LOG, log))
        return Fail(L"the session log " + log + L" was not saved.");
    if (tarvell.Exit() != 0u)
        return Fail(L"Tarvell did not end cleanly.");
    run.utterances = demo::ParseLoggedUtterances(testfiles::Read(log));
    if (run.utterances.empty())
        return Fail(L"the saved log " + log + L" holds no utterance.");
    demo.runs.push_back(run);
    return 0;
}

// One program run at one slider position: every file transcribed, the log saved.
int RunPosition(Demo& demo, int position)
{
    driver::Tarvell tarvell;
    if (!tarvell.WaitForDialog() || !tarvell.MessageBoxes().empty())
        return Fail(L"the dialog did not come up cleanly.");
    bool first = demo.runs.empty();
    if (first)
        Say(L"Tarvell is running against the stand-in engine, version " +
            tarvell.Text(IDC_ENGINE_VERSION) + L", profile " + tarvell.Text(IDC_PROFILE_SOURCE) +
            L".");
    if (!SetSlider(tarvell, position))
        return Fail(L"the slider did not move to " + std::to_wstring(position) + L".");

    demo::PositionRun run;
    run.label = "slider " + std::to_string(position);
    for (const std::wstring& file : demo.files) {
        if (first) {
            tarvell.SetText(IDC_PATH, file);
            tarvell.ClickAndWait(IDC_CHECK_SNR);
            Say(L"Signal-to-noise ratio of " + FileName(file) + L": " + tarvell.Text(IDC_SNR) +
                L" dB.");
        }
        int before = Utterances(tarvell);
        if (!Transcribe(tarvell, file))
            return Fail(L"the transcription of " + file + L" did not run to its end.");
        run.utterancesPerFile.push_back(Utterances(tarvell) - before);
    }
    std::wstring suffix = std::to_wstring(position);
    if (position == kMiddlePosition &&
        !SaveThroughDialog(tarvell, IDC_EXPORT_TEXT, demo.folder + L"transcript.txt"))
        return Fail(L"the text was not exported.");
    return Finish(demo, tarvell, run, L"Slider at " + suffix,
                  demo.folder + L"session-log-" + suffix + L".txt");
}

// How each listening of the stand-in ended, in order, from its journal: "ended eof" once its
// file has been played to the end, "refused ..." when it never began.
std::vector<std::string> ListenOutcomes(const std::vector<control::JournalEntry>& journal)
{
    std::vector<std::string> outcomes;
    for (const control::JournalEntry& entry : journal)
        if (entry.kind == "listen" && (entry.Field(0) == "ended" || entry.Field(0) == "refused"))
            outcomes.push_back(entry.Field(0) + " " + entry.Field(1));
    return outcomes;
}

// Every event raised has come back from the program: the last result has been measured.
bool EventsHandled(const std::vector<control::JournalEntry>& journal)
{
    long open = 0;
    for (const control::JournalEntry& entry : journal)
        open += entry.kind == "event-begin" ? 1 : entry.kind == "event-end" ? -1 : 0;
    return open == 0;
}

// Waits until the listening after the first `seen` has ended and the program has handled all
// it heard; how it ended, or "" when the journal stood still for the utterance timeout. Looks
// five times a second, not the driver's hundred: the program is being timed meanwhile.
std::string WaitForListening(const std::wstring& journal, size_t seen)
{
    size_t lines = 0;
    DWORD since = GetTickCount();
    for (;;) {
        std::vector<control::JournalEntry> entries = control::ReadJournal(journal);
        std::vector<std::string> outcomes = ListenOutcomes(entries);
        if (outcomes.size() > seen && EventsHandled(entries))
            return outcomes[seen];
        if (entries.size() != lines) {
            lines = entries.size();
            since = GetTickCount();
        } else if (GetTickCount() - since > kUtteranceTimeoutMs) {
            return "";
        }
        Sleep(200);
    }
}

// The files as live dictation at the middle position, in one fresh program: each played in
// turn into the recogniser's virtual microphone at the pace it was spoken, the log saved.
int RunLive(Demo& demo)
{
    std::wstring journal = demo.folder + L"journal-live.txt";
    DeleteFileW(journal.c_str());
    driver::Tarvell tarvell({{control::kJournalVariable, journal}});
    if (!tarvell.WaitForDialog() || !tarvell.MessageBoxes().empty())
        return Fail(L"the dialog did not come up cleanly.");
    // The recogniser takes its beams from the slider when listening starts.
    if (!SetSlider(tarvell, kMiddlePosition))
        return Fail(L"the slider did not move to " + std::to_wstring(kMiddlePosition) + L".");
    HWND requests = control::FindEngineRequestWindow(tarvell.ProcessId(), driver::kTimeoutMs);
    if (requests == nullptr)
        return Fail(L"the stand-in engine's request window never showed.");

    demo::PositionRun run;
    run.label = "live " + std::to_string(kMiddlePosition);
    for (size_t i = 0; i < demo.files.size(); ++i) {
        const std::wstring& file = demo.files[i];
        Say(L"  " + FileName(file) + L" into the microphone ...");
        int before = Utterances(tarvell);
        // A refused request fails, and the journal says why.
        control::SendRequest(requests, "listen wav " + control::TextArgument(file) + "\n");
        std::string outcome = WaitForListening(journal, i);
        if (outcome.empty())
            return Fail(L"listening to " + file + L" never ended (journal: " + journal + L").");
        if (outcome != "ended eof")
            return Fail(L"listening to " + file + L": " +
                        std::wstring(outcome.begin(), outcome.end()) + L".");
        run.utterancesPerFile.push_back(Utterances(tarvell) - before);
    }
    std::wstring middle = std::to_wstring(kMiddlePosition);
    return Finish(
        demo, tarvell, run, L"Live at " + middle,
        demo.folder + L"session-log-live-" + middle + L".txt",
        L"  A live utterance is timed from the moment its speech is heard to begin until its\n"
        L"  result is ready: the speaking itself, then the wait for the speaker to finish (the\n"
        L"  half second of silence the recogniser's detector waits for) and the finishing. Its\n"
        L"  real-time factor is above 1 by nature; a file's counts the decoding alone.");
}

// The picture of one run at the middle position: the files transcribed, the last one's
// signal-to-noise ratio checked, the window saved; nothing else is kept. scripts/run takes it
// of the shipped 32-bit program.
int Screenshot(const std::wstring& image, const std::vector<std::wstring>& files)
{
    driver::Tarvell tarvell;
    if (!tarvell.WaitForDialog() || !tarvell.MessageBoxes().empty())
        return Fail(L"the dialog did not come up cleanly.");
    if (!SetSlider(tarvell, kMiddlePosition))
        return Fail(L"the slider did not move.");
    for (const std::wstring& file : files)
        if (!Transcribe(tarvell, file))
            return Fail(L"the transcription of " + file + L" did not run to its end.");
    tarvell.ClickAndWait(IDC_CHECK_SNR);
    if (tarvell.Text(IDC_SNR).empty())
        return Fail(L"no signal-to-noise ratio for " + files.back() + L".");
    Sleep(500); // the last repaint
    // The caption is painted last of all, later still on a busy machine.
    driver::Image picture;
    bool cross = driver::WaitUntil([&] {
        picture = driver::CaptureWindow(tarvell.Dialog());
        if (driver::ShowsCross(picture, driver::CloseButtonRect(tarvell.Dialog())))
            return true;
        Sleep(200);
        return false;
    });
    if (!driver::SavePng(picture, image))
        return Fail(L"no screenshot.");
    Say(cross ? L"Close button: a cross."
              : L"Close button: no cross (Wine found no symbol font for the caption's buttons).");
    Say(L"Pictured at slider " + std::to_wstring(kMiddlePosition) + L": " +
        tarvell.Text(IDC_UTTERANCES) + L" utterances, " + tarvell.Text(IDC_WORDS) +
        L" words, average score " + tarvell.Text(IDC_TOTAL_AVERAGE_SCORE) + L".");
    if (tarvell.Exit() != 0u)
        return Fail(L"Tarvell did not end cleanly.");
    Say(L"Screenshot:   " + image);
    return 0;
}

// The references beside the files: NAME.txt, one sentence a line.
std::vector<demo::ReferenceFile> References(const std::vector<std::wstring>& files)
{
    std::vector<demo::ReferenceFile> references;
    for (const std::wstring& file : files) {
        demo::ReferenceFile reference;
        reference.name = Narrow(FileName(file));
        std::wstring text = file.substr(0, file.find_last_of(L'.')) + L".txt";
        reference.sentences = demo::ReferenceSentences(testfiles::Read(text));
        references.push_back(reference);
    }
    return references;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 4 && std::wstring(argv[1]) == L"--screenshot")
        return Screenshot(argv[2], std::vector<std::wstring>(argv + 3, argv + argc));
    Demo demo;
    int first = 1;
    if (argc > 1 && std::wstring(argv[1]) == L"--live") {
        demo.live = true;
        ++first;
    }
    if (argc < first + 2)
        return Fail(L"usage: tarvell_demo [--live] <output folder> <file.wav>...\n"
                    L"       tarvell_demo --screenshot <image.png> <file.wav>...");
    demo.folder = argv[first];
    if (demo.folder.back() != L'\\')
        demo.folder += L'\\';
    demo.files.assign(argv + first + 1, argv + argc);
    CreateDirectoryW(demo.folder.c_str(), nullptr);

    for (int position : kPositions) {
        Say(L"Transcribing " + std::to_wstring(demo.files.size()) + L" files with the slider at " +
            std::to_wstring(position) + L" ...");
        if (int failed = RunPosition(demo, position))
            return failed;
    }
    if (demo.live) {
        Say(L"Dictating the same " + std::to_wstring(demo.files.size()) +
            L" files live with the slider at " + std::to_wstring(kMiddlePosition) +
            L", played into the recogniser's virtual microphone at their pace ...");
        if (int failed = RunLive(demo))
            return failed;
    }

    Say(L"\nRecognised words and their scores at each slider position" +
        std::wstring(demo.live ? L", and live" : L"") + L":\n");
    std::printf("%s", demo::WordsSideBySide(References(demo.files), demo.runs).c_str());
    std::fflush(stdout);
    for (int position : kPositions)
        Say(L"Session log:  " + demo.folder + L"session-log-" + std::to_wstring(position) +
            L".txt");
    if (demo.live)
        Say(L"Session log:  " + demo.folder + L"session-log-live-" +
            std::to_wstring(kMiddlePosition) + L".txt (live)");
    Say(L"Transcript:   " + demo.folder + L"transcript.txt");
    return 0;
}
