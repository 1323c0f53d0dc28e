// Audio files end to end: choosing one, transcribing it with the dialog busy, stopping,
// every way a start can fail, and the signal-to-noise check.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "engine_session.h"
#include "probe_protocol.h"
#include "resources/resource.h"
#include "standin_test_support.h"

using namespace e2e;

namespace {

const wchar_t kPathMessage[] = L"Please specify the name and path of the audio source file";
const wchar_t kFormatHint[] =
    L"Please make sure that the Wav file exists and has 16-bit PCM mono format with sampling "
    L"rate between 8 kHz (for telephony) and 99 kHz, or ADPCM (IMA and Microsoft) format.";

// Scenario in which a file's utterances take as long to process as they last.
Scenario Paced(double factor = 1.0)
{
    Scenario scenario = NormalProfile();
    scenario.Line("file-rtf " + std::to_string(factor));
    return scenario;
}

bool Busy(Session& session)
{
    return session->IsEnabled(IDC_STOP);
}

// Waits for the transcription to end, as long as its utterances keep coming.
bool WaitForTheEnd(Session& session)
{
    return driver::WaitWhileProgressing([&] { return !Busy(session); },
                                        [&] { return session->Text(IDC_UTTERANCES); }, 30000);
}

size_t UtterancesListed(Session& session)
{
    size_t count = 0;
    for (const std::wstring& line : session->ListLines(IDC_RESULTS))
        count += line.rfind(L"Utterance #: ", 0) == 0;
    return count;
}

std::wstring Focus(Session& session, int id)
{
    return std::to_wstring(session->FocusedId()) + L" (want " + std::to_wstring(id) + L")";
}

} // namespace

TEST(Audio, BrowseOffersTheFiltersInOrderAndFillsThePath)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"take one.wav", 1);
    Session session;
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, L"before");

    session->Click(IDC_BROWSE);
    std::optional<HWND> dialog = session->WaitForFileDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(
        session->FileDialogFilters(*dialog),
        (std::vector<std::wstring>{L"Sound Files (all formats)", L"Wave Files (*.wav)",
                                   L"WMA Files (*.wma)", L"MP3 Files (*.mp3)", L"DS2 Files (*.ds2)",
                                   L"DSS Files (*.dss)", L"All Files (*.*)"}));
    EXPECT_EQ(session->FileDialogName(*dialog), L"");
    session->CancelFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->WaitForFileDialog(0); }));
    EXPECT_EQ(session->Text(IDC_PATH), L"before");

    session->Click(IDC_BROWSE);
    dialog = session->WaitForFileDialog();
    ASSERT_TRUE(dialog);
    session->SetFileDialogName(*dialog, file);
    session->ConfirmFileDialog(*dialog);
    EXPECT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_PATH) == file; }))
        << testing::PrintToString(session->Text(IDC_PATH));
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Audio, TranscribingKeepsTheDialogBusyAndMeasuresEveryUtterance)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"four.wav", 4);
    testfiles::Write(folder / L"four.txt", "one two three four five six seven eight");
    Session session(Paced());
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    // The dialog turns busy one control after another, Check SNR last.
    ASSERT_TRUE(
        driver::WaitUntil([&] { return Busy(session) && !session->IsEnabled(IDC_CHECK_SNR); }));

    struct Expectation
    {
        int id;
        bool enabled;
    } busy[] = {{IDC_PATH, false},       {IDC_BROWSE, false},    {IDC_TRANSCRIPTION, false},
                {IDC_TRANSCRIBE, false}, {IDC_RESET_ALL, false}, {IDC_SPEED_ACCURACY, false},
                {IDOK, false},           {IDC_STOP, true},       {IDC_EXPORT_TEXT, false},
                {IDC_CHECK_SNR, false},  {IDC_SAVE_LOG, true},   {IDC_TOP, true},
                {IDC_BOTTOM, true},      {IDC_RESULTS, true}};
    for (const Expectation& e : busy)
        EXPECT_EQ(session->IsEnabled(e.id), e.enabled) << e.id;
    EXPECT_TRUE(session->SystemCloseGreyed());
    session->ClickAndWait(IDC_TOP); // still works while busy

    ASSERT_TRUE(WaitForTheEnd(session));
    for (const Expectation& e : busy)
        EXPECT_EQ(session->IsEnabled(e.id), e.id != IDC_STOP) << e.id;
    EXPECT_FALSE(session->SystemCloseGreyed());
    EXPECT_EQ(UtterancesListed(session), 4u);
    EXPECT_EQ(session->Text(IDC_UTTERANCES), L"4");
    EXPECT_EQ(session->Text(IDC_WORDS), L"8");
    EXPECT_EQ(session->Text(IDC_TRANSCRIPTION).find(L"one two"), 0u)
        << testing::PrintToString(session->Text(IDC_TRANSCRIPTION));
    std::string log = testfiles::Read(session->SessionLogPath());
    EXPECT_NE(log.find("Utterance #: 4 "), std::string::npos);
    std::vector<JournalEntry> options = session.Calls("IDgnEditDictation.SetOption");
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].Arguments(), "8 I4:1");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Audio, StopEndsTheTranscriptionEarly)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"ten.wav", 10);
    Session session(Paced());
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    // The count field, not the list: reading the list takes a round trip per line, and the
    // program's thread is busy with the engine's work most of the time.
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->Text(IDC_UTTERANCES).empty(); }, 30000));
    session->Click(IDC_STOP);
    ASSERT_TRUE(WaitForTheEnd(session));
    EXPECT_LT(UtterancesListed(session), 10u);
    EXPECT_EQ(session.Calls("IDgnEditDictation.TranscribeStop").size(), 1u);
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(session->Exit(), 0u);
}

// An engine may report a file's whole transcription, its end included, before TranscribeFile
// has come back: the dialog is ready again once it has.
TEST(Audio, AnEndReportedBeforeTheCallReturnsLeavesTheDialogReady)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"two.wav", 2);
    Scenario scenario = NormalProfile();
    scenario.Line("file-inline");
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    EXPECT_TRUE(driver::WaitUntil([&] {
        return !session.Calls("IDgnEditDictation.TranscribeFile").empty() &&
               session->IsEnabled(IDC_TRANSCRIBE);
    }));
    EXPECT_EQ(session->Text(IDC_UTTERANCES), L"2");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Audio, EscapeWhileBusyEndsTheProgramAndReleasesTheEngine)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"long.wav", 10);
    Session session(Paced());
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    ASSERT_TRUE(driver::WaitUntil([&] { return Busy(session); }));
    session->PressEscape();
    ASSERT_EQ(session->WaitForExit(), 0u);
    EXPECT_TRUE(session.Calls("IDgnEditDictation.TranscribeStop").empty());
    std::optional<standin::control::Summary> summary =
        standin::control::LastSummary(session.Journal());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->objects, 0) << summary->alive;
    EXPECT_EQ(summary->bstrs, ExpectedUnfreedStrings());
}

TEST(Audio, AnEmptyPathIsRefusedBeforeTheEngineIsAsked)
{
    Session session;
    ASSERT_TRUE(session.Start());

    session->Click(IDC_TRANSCRIBE);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Error");
    EXPECT_EQ(box->text, kPathMessage);
    EXPECT_EQ(session->MessageBoxIcon(*box), probe::kIconError);
    session->Dismiss(*box);
    EXPECT_TRUE(driver::WaitUntil([&] { return session->FocusedId() == IDC_PATH; }))
        << Focus(session, IDC_PATH);

    session->SetText(IDC_SNR, L"12.345");
    session->Click(IDC_CHECK_SNR);
    box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kPathMessage);
    EXPECT_EQ(session->Text(IDC_SNR), L"0.000");
    session->Dismiss(*box);
    EXPECT_TRUE(driver::WaitUntil([&] { return session->FocusedId() == IDC_TRANSCRIPTION; }))
        << Focus(session, IDC_TRANSCRIPTION);

    EXPECT_TRUE(session.Calls("IDgnEditDictation.SetOption").empty());
    EXPECT_TRUE(session.Calls("IDgnEditDictation.TranscribeFile").empty());
    EXPECT_TRUE(session.Calls("IDgnEngineControl.GetWaveFileSNR").empty());
    EXPECT_FALSE(Busy(session));
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Audio, AMissingOrBlankFileGivesTheReportThenTheFormatHint)
{
    for (const wchar_t* path : {L"C:\\no\\such\\file.wav", L"   "}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(path)));
        Session session;
        ASSERT_TRUE(session.Start());
        session->SetText(IDC_PATH, path);
        session->Click(IDC_TRANSCRIBE);
        std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(
            box->text.rfind(L"IDgnEditDictation::TranscribeFile() failed (HRESULT 0x80070057)", 0),
            0u)
            << testing::PrintToString(box->text);
        session->Dismiss(*box);
        ASSERT_TRUE(driver::WaitUntil([&] {
            std::vector<driver::MessageBoxInfo> boxes = session->MessageBoxes();
            return !boxes.empty() && boxes[0].window != box->window;
        }));
        box = session->WaitForMessageBox();
        EXPECT_EQ(box->text, kFormatHint);
        session->Dismiss(*box);
        ASSERT_TRUE(driver::WaitUntil([&] { return session->MessageBoxes().empty(); }));
        EXPECT_FALSE(Busy(session));
        // The path goes to the engine as it stands, blanks and all.
        std::vector<JournalEntry> calls = session.Calls("IDgnEditDictation.TranscribeFile");
        ASSERT_EQ(calls.size(), 1u);
        if (path[0] == L' ') {
            EXPECT_EQ(calls[0].Arguments(), "\"   \"");
        }
        EXPECT_EQ(session->Exit(), 0u);
    }
}

TEST(Audio, AnEngineThatCannotTranscribeEndsTheProgram)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"one.wav", 1);
    Scenario scenario = NormalProfile();
    scenario.Fail(Fail("IDgnEditDictation.TranscribeFile", E_NOTIMPL));
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"The version of Dragon NaturallySpeaking currently running does not "
                         L"support transcription.");
    session->Dismiss(*box);
    EXPECT_EQ(session->WaitForExit(), 0u);
}

TEST(Audio, AFailedStopIsReportedAndTheDialogStaysBusy)
{
    testfiles::ScratchFolder folder;
    // Long enough that the file is still running while the box is open.
    std::wstring file = SpokenFile(folder, L"ten.wav", 10);
    Scenario scenario = Paced();
    scenario.Fail(Fail("IDgnEditDictation.TranscribeStop", E_FAIL));
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    ASSERT_TRUE(driver::WaitUntil([&] { return Busy(session); }));
    session->Click(IDC_STOP);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"IDgnEditDictation::TranscribeStop() failed (HRESULT 0x80004005)");
    EXPECT_TRUE(Busy(session));
    session->Dismiss(*box);
    // The file runs to its end.
    ASSERT_TRUE(WaitForTheEnd(session));
    EXPECT_EQ(session->Text(IDC_UTTERANCES), L"10");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Audio, AnOverLongPathIsUsedCutTo259Characters)
{
    Session session;
    ASSERT_TRUE(session.Start());
    std::wstring path = L"C:\\" + std::wstring(300, L'a') + L".wav";
    session->SetText(IDC_PATH, path);
    session->Click(IDC_TRANSCRIBE);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    std::vector<JournalEntry> calls = session.Calls("IDgnEditDictation.TranscribeFile");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Arguments(), "\"C:\\\\" + std::string(256, 'a') + "\"");
    // The report, then the format hint; neither ends the program.
    session->Dismiss(*box);
    box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kFormatHint);
    session->Dismiss(*box);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(SignalToNoise, TheEngineValueIsShownWithThreeDecimals)
{
    testfiles::ScratchFolder folder;
    Session session;
    ASSERT_TRUE(session.Start());
    for (double snr : {10.0, 20.0}) {
        std::wstring file = SpokenFile(folder, snr == 10 ? L"ten.wav" : L"twenty.wav", 3, snr);
        session->SetText(IDC_PATH, file);
        size_t checks = session.Calls("IDgnEngineControl.GetWaveFileSNR").size();
        session->Click(IDC_CHECK_SNR);
        std::vector<JournalEntry> calls;
        ASSERT_TRUE(driver::WaitUntil([&] {
            calls = session.Calls("IDgnEngineControl.GetWaveFileSNR");
            return calls.size() > checks && session->Text(IDC_SNR) != L"0.000";
        }));
        double reported = std::stod(calls.back().Outputs());
        wchar_t expected[64];
        std::swprintf(expected, 64, L"%0.3f", reported);
        EXPECT_EQ(session->Text(IDC_SNR), expected);
        EXPECT_NEAR(reported, snr, 1.5);
    }
    // Two checks, two engine-control objects of their own.
    size_t creations = session.Calls("DgnEngineControl.Create").size();
    session->Click(IDC_CHECK_SNR);
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return session.Calls("DgnEngineControl.Create").size() == creations + 1; }));

    // A failing check shows 0.000 at once and keeps it.
    ASSERT_TRUE(
        session.Arm(Fail("IDgnEngineControl.GetWaveFileSNR", E_FAIL, FailWhen::NthCall, 1)));
    session->Click(IDC_CHECK_SNR);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"IDgnCustomDictation::GetWaveFileSNR() failed (HRESULT 0x80004005)");
    EXPECT_EQ(session->Text(IDC_SNR), L"0.000");
    session->Dismiss(*box);

    ASSERT_TRUE(session.Arm(Fail("DgnEngineControl.Create", E_OUTOFMEMORY, FailWhen::NthCall, 1)));
    session->Click(IDC_CHECK_SNR);
    box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Failed to create DgnEngineControl object (HRESULT 0x8007000E)");
    session->Dismiss(*box);
    ASSERT_TRUE(driver::WaitUntil([&] { return session->MessageBoxes().empty(); }));
    EXPECT_TRUE(session->Running());
    EXPECT_EQ(session->Exit(), 0u);
    std::optional<standin::control::Summary> summary =
        standin::control::LastSummary(session.Journal());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->objects, 0) << summary->alive;
}
