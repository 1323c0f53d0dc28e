// Saving the session log and exporting the transcript, through the real save-file dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "engine_session.h"
#include "resources/resource.h"
#include "standin_test_support.h"

using namespace e2e;

namespace {

const std::string kRule42(42, '-');

SYSTEMTIME Now()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// Seconds since midnight, for checking that a time lies between two others.
int Seconds(int h, int m, int s)
{
    return (h * 60 + m) * 60 + s;
}

int Seconds(const SYSTEMTIME& t)
{
    return Seconds(t.wHour, t.wMinute, t.wSecond);
}

// Opens the save dialog with the button, names the target and confirms it.
std::optional<HWND> OpenSaveDialog(Session& session, int button)
{
    session->Click(button);
    return session->WaitForFileDialog();
}

void SaveAs(Session& session, int button, const std::wstring& target)
{
    std::optional<HWND> dialog = OpenSaveDialog(session, button);
    ASSERT_TRUE(dialog);
    session->SetFileDialogName(*dialog, target);
    session->ConfirmFileDialog(*dialog);
}

// The box that follows the system's overwrite question, answered yes, if it asks.
std::optional<driver::MessageBoxInfo> AfterOverwriteQuestion(Session& session)
{
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    if (!box || box->text.find(L"replace") == std::wstring::npos)
        return box;
    if (!session->Press(*box, L"&Yes") && !session->Press(*box, L"Yes"))
        return std::nullopt;
    HWND question = box->window;
    driver::WaitUntil([&] {
        std::vector<driver::MessageBoxInfo> boxes = session->MessageBoxes();
        return !boxes.empty() && boxes[0].window != question;
    });
    return session->WaitForMessageBox();
}

std::vector<std::wstring> TempFiles()
{
    std::vector<std::wstring> names = testfiles::List(testfiles::TempFolder());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(SaveLog, SuggestsTheTimeOfThePressAndSavesEverythingWithTheMarker)
{
    testfiles::ScratchFolder folder;
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.Dictate(Said(L"hello")));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
    std::wstring temporary = session->SessionLogPath();

    SYSTEMTIME before = Now();
    std::optional<HWND> dialog = OpenSaveDialog(session, IDC_SAVE_LOG);
    ASSERT_TRUE(dialog);
    SYSTEMTIME after = Now();
    std::wsmatch name;
    std::wstring suggested = session->FileDialogName(*dialog);
    ASSERT_TRUE(std::regex_match(
        suggested, name,
        std::wregex(L"Session log ([0-9]{4})-([0-9]{2})-([0-9]{2}) ([0-9]{2})-([0-9]{2})-([0-9]{2})"
                    L"\\.txt")))
        << testing::PrintToString(suggested);
    EXPECT_EQ(std::stoi(name[1]), before.wYear);
    EXPECT_EQ(std::stoi(name[2]), before.wMonth);
    EXPECT_EQ(std::stoi(name[3]), before.wDay);
    int pressed = Seconds(std::stoi(name[4]), std::stoi(name[5]), std::stoi(name[6]));
    EXPECT_GE(pressed, Seconds(before));
    EXPECT_LE(pressed, Seconds(after));
    EXPECT_EQ(session->FileDialogFilters(*dialog), std::vector<std::wstring>{L"TXT file (*txt)"});

    std::wstring saved = folder / L"first.txt";
    Sleep(1100); // the marker must carry the time of the press, not of the confirmation
    session->SetFileDialogName(*dialog, saved);
    session->ConfirmFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(saved); }));

    std::vector<std::string> lines = testfiles::Lines(testfiles::Read(saved));
    ASSERT_GE(lines.size(), 3u + 10u + 3u);
    EXPECT_EQ(lines[0].rfind("Mirelle Session Started: ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("Utterance #: 1 ", 0), 0u);
    std::vector<std::string> marker(lines.end() - 3, lines.end());
    char expected[64];
    std::snprintf(expected, sizeof expected, "Session saved at: %02d:%02d:%02d", std::stoi(name[4]),
                  std::stoi(name[5]), std::stoi(name[6]));
    EXPECT_EQ(marker, (std::vector<std::string>{"", expected, kRule42}));
    EXPECT_EQ(testfiles::Read(saved).substr(testfiles::Read(saved).size() - 2), "\r\n");
    EXPECT_FALSE(testfiles::Exists(temporary));

    // A second save with nothing new holds only the marker; the next line starts a new log.
    std::wstring second = folder / L"second.txt";
    SaveAs(session, IDC_SAVE_LOG, second);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(second); }));
    EXPECT_EQ(testfiles::Lines(testfiles::Read(second)).size(), 3u);
    EXPECT_FALSE(testfiles::Exists(temporary));
    session->Click(IDC_RESET_ALL);
    // The new log is there a moment before its first line is.
    EXPECT_TRUE(driver::WaitUntil([&] {
        std::vector<std::string> started = testfiles::Lines(testfiles::Read(temporary));
        return !started.empty() && started.front() == "Reset All pressed.";
    }));
    EXPECT_EQ(session->Exit(), 0u);
    EXPECT_FALSE(testfiles::Exists(temporary));
    EXPECT_TRUE(testfiles::Exists(saved));
}

TEST(SaveLog, CancelChangesNothingAndExportCancelSaysNoFileChosen)
{
    Session session;
    ASSERT_TRUE(session.Start());
    std::wstring temporary = session->SessionLogPath();
    std::string before = testfiles::Read(temporary);

    std::optional<HWND> dialog = OpenSaveDialog(session, IDC_SAVE_LOG);
    ASSERT_TRUE(dialog);
    session->CancelFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->WaitForFileDialog(0); }));
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(testfiles::Read(temporary), before);

    session->SetText(IDC_TRANSCRIPTION, L"some text");
    dialog = OpenSaveDialog(session, IDC_EXPORT_TEXT);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(session->FileDialogFilters(*dialog), std::vector<std::wstring>{L"TXT file (*.txt)"});
    session->CancelFileDialog(*dialog);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Error");
    EXPECT_EQ(box->text, L"No file chosen");
    session->Dismiss(*box);
    EXPECT_TRUE(driver::WaitUntil([&] { return session->FocusedId() == IDC_TRANSCRIPTION; }));
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Export, AnEmptyBoxSaysSoWithoutOpeningTheDialog)
{
    Session session;
    ASSERT_TRUE(session.Start());
    session->Click(IDC_EXPORT_TEXT);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"No text to export");
    EXPECT_FALSE(session->WaitForFileDialog(0));
    session->Dismiss(*box);
    EXPECT_TRUE(driver::WaitUntil([&] { return session->FocusedId() == IDC_TRANSCRIPTION; }));
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Export, WritesTheBoxAsItIsWithCrLfAndNothingAdded)
{
    testfiles::ScratchFolder folder;
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.Dictate(Said(L"First paragraph.")));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
    std::wstring box = session->Text(IDC_TRANSCRIPTION);
    session->SetText(IDC_TRANSCRIPTION, box + L"\r\nSecond \u0141ine caf\u00e9.");
    std::vector<std::wstring> tempBefore = TempFiles();

    SYSTEMTIME before = Now();
    std::optional<HWND> dialog = OpenSaveDialog(session, IDC_EXPORT_TEXT);
    ASSERT_TRUE(dialog);
    std::wsmatch name;
    std::wstring suggested = session->FileDialogName(*dialog);
    ASSERT_TRUE(std::regex_match(suggested, name,
                                 std::wregex(L"Transcript ([0-9]{2})([0-9]{2})([0-9]{2})\\.txt")))
        << testing::PrintToString(suggested);
    EXPECT_LE(std::abs(Seconds(std::stoi(name[1]), std::stoi(name[2]), std::stoi(name[3])) -
                       Seconds(before)),
              2);
    std::wstring target = folder / L"out.txt";
    session->SetFileDialogName(*dialog, target);
    session->ConfirmFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(target); }));
    EXPECT_EQ(testfiles::Read(target), "First paragraph.\r\nSecond ?ine caf\xe9.");
    EXPECT_TRUE(driver::WaitUntil([&] { return session->FocusedId() == IDC_TRANSCRIPTION; }));
    EXPECT_EQ(TempFiles(), tempBefore);
    EXPECT_TRUE(session->MessageBoxes().empty());

    // Onto an existing file: the system asks, and the answer yes replaces it.
    testfiles::Write(target, "old content");
    SaveAs(session, IDC_EXPORT_TEXT, target);
    std::optional<driver::MessageBoxInfo> question = session->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(session->Press(*question, L"&Yes") || session->Press(*question, L"Yes"));
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return testfiles::Read(target) == "First paragraph.\r\nSecond ?ine caf\xe9."; }));
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Records, ATargetThatCannotBeWrittenIsReportedAndNothingIsLost)
{
    testfiles::ScratchFolder folder;
    std::wstring target = folder / L"locked.txt";
    testfiles::Write(target, "held");
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    Session session;
    ASSERT_TRUE(session.Start());
    std::wstring temporary = session->SessionLogPath();
    SaveAs(session, IDC_SAVE_LOG, target);
    std::optional<driver::MessageBoxInfo> box = AfterOverwriteQuestion(session);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Error");
    EXPECT_EQ(box->text.rfind(L"Couldn't save the session log (HRESULT 0x800700", 0), 0u)
        << testing::PrintToString(box->text);
    session->Dismiss(*box);
    std::vector<std::string> lines = testfiles::Lines(testfiles::Read(temporary));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], kRule42);
    ASSERT_TRUE(session.Dictate(Said(L"still here")));
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return testfiles::Lines(testfiles::Read(temporary)).size() == 6u + 10u; }));

    session->SetText(IDC_TRANSCRIPTION, L"text to export");
    std::vector<std::wstring> tempBefore = TempFiles();
    SaveAs(session, IDC_EXPORT_TEXT, target);
    std::optional<driver::MessageBoxInfo> question = AfterOverwriteQuestion(session);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text.rfind(L"Couldn't export the text (HRESULT 0x800700", 0), 0u)
        << testing::PrintToString(question->text);
    session->Dismiss(*question);
    CloseHandle(held);
    EXPECT_EQ(testfiles::Read(target), "held");
    EXPECT_EQ(TempFiles(), tempBefore);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Records, DuringATranscriptionExportIsOffAndALineThatArrivesWhileSavingIsInTheSave)
{
    testfiles::ScratchFolder folder;
    std::wstring file = folder / L"two.wav";
    testfiles::Write(
        file, standin::testing::WavBytes(
                  standin::testing::BurstsInNoise({{300, 900}, {1400, 2000}}, 2300, 16000, 30),
                  16000, 1, 16));
    Scenario scenario = NormalProfile();
    scenario.Line("file-rtf 2");
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    // The dialog turns busy one control after another: seen from outside, Stop can be on
    // before Export Text is off.
    ASSERT_TRUE(driver::WaitUntil([&] { return session->IsEnabled(IDC_STOP); }));
    EXPECT_TRUE(driver::WaitUntil([&] { return !session->IsEnabled(IDC_EXPORT_TEXT); }));
    EXPECT_TRUE(session->IsEnabled(IDC_SAVE_LOG));

    std::optional<HWND> dialog = OpenSaveDialog(session, IDC_SAVE_LOG);
    ASSERT_TRUE(dialog);
    // The file's utterances go on arriving while the dialog is open.
    ASSERT_TRUE(driver::WaitWhileProgressing([&] { return !session->IsEnabled(IDC_STOP); },
                                             [&] { return session->Text(IDC_UTTERANCES); }, 30000));
    std::wstring saved = folder / L"during.txt";
    session->SetFileDialogName(*dialog, saved);
    session->ConfirmFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(saved); }));
    std::string content = testfiles::Read(saved);
    size_t utterance = content.find("Utterance #: 2 ");
    size_t marker = content.find("Session saved at: ");
    EXPECT_NE(utterance, std::string::npos);
    EXPECT_LT(utterance, marker);
    EXPECT_EQ(session->Exit(), 0u);
}
