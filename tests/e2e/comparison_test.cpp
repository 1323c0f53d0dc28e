// One session through the program's main paths, written out with times and real-time
// factors masked, so that compare_builds.sh can hold the shipped 32-bit program to what the
// x86_64 build of the same sources produces, and compare_forms.sh the local server to the DLL.
// TARVELL_COMPARISON_OUT names the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "engine_session.h"
#include "resources/resource.h"
#include "standin_test_support.h"

using namespace e2e;

namespace {

// Times of day, dates and real-time factors differ from run to run; nothing else may.
std::string Masked(std::string line)
{
    static const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    static const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2}");
    static const std::regex rtf("RTF: [0-9]+\\.[0-9]+");
    line = std::regex_replace(line, time, "hh:mm:ss");
    line = std::regex_replace(line, date, "yyyy-mm-dd");
    return std::regex_replace(line, rtf, "RTF: #");
}

std::string Narrow(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : text)
        bytes.push_back(c <= 0x7F ? static_cast<char>(c) : '?');
    return bytes;
}

Utterance Spoken(std::vector<std::pair<LONG, std::wstring>> words, LONG startMs, LONG endMs)
{
    Utterance utterance;
    for (auto& [score, text] : words)
        utterance.words.push_back(Word{score, text});
    utterance.start = std::make_pair(0L, startMs);
    utterance.end = std::make_pair(0L, endMs);
    utterance.phraseCount = 3;
    return utterance;
}

class Record
{
public:
    void Section(const std::string& name) { out_ << "== " << name << "\n"; }
    void Line(const std::string& line) { out_ << Masked(line) << "\n"; }
    void Field(Session& session, const char* name, int id)
    {
        Line(std::string(name) + ": " + Narrow(session->Text(id)));
    }
    void List(Session& session)
    {
        for (const std::wstring& line : session->ListLines(IDC_RESULTS))
            Line(Narrow(line));
    }
    void File(const std::wstring& path)
    {
        for (const std::string& line : testfiles::Lines(testfiles::Read(path)))
            Line(line);
    }
    void Calls(const std::vector<JournalEntry>& journal)
    {
        for (const JournalEntry& entry : journal)
            if (entry.kind == "call")
                Line(entry.Operation() + " -> " + std::to_string(entry.Result()));
            else if (entry.kind == "event-end")
                Line("event " + entry.Field(0));
    }
    std::string Text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

void Statistics(Record& record, Session& session)
{
    record.Field(session, "utterances", IDC_UTTERANCES);
    record.Field(session, "words", IDC_WORDS);
    record.Field(session, "words per minute", IDC_WPM);
    record.Field(session, "words per utterance", IDC_WPU);
    record.Field(session, "dictation", IDC_TOTAL_DICTATION);
    record.Field(session, "average score", IDC_TOTAL_AVERAGE_SCORE);
    record.Field(session, "minimum score", IDC_TOTAL_MINIMUM_SCORE);
    record.Field(session, "maximum score", IDC_TOTAL_MAXIMUM_SCORE);
    record.Field(session, "transcription", IDC_TRANSCRIPTION);
}

void SaveWith(Session& session, int button, const std::wstring& target)
{
    session->Click(button);
    std::optional<HWND> dialog = session->WaitForFileDialog();
    ASSERT_TRUE(dialog);
    session->SetFileDialogName(*dialog, target);
    session->ConfirmFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(target); }));
}

} // namespace

TEST(Comparison, OneSessionThroughTheMainPathsIsWrittenOut)
{
    testfiles::ScratchFolder folder;
    Record record;
    {
        Scenario paced = NormalProfile();
        paced.Line("file-rtf 0.5");
        Session session(paced);
        ASSERT_TRUE(session.Start());
        record.Section("start-up");
        record.Field(session, "engine version", IDC_ENGINE_VERSION);
        record.Field(session, "profile and source", IDC_PROFILE_SOURCE);
        record.Field(session, "model and vocabulary", IDC_MODEL_VOCABULARY);
        // The machine's memory, the one figure both builds must see alike (the address space
        // and what is free differ); the memory figures are the last fields start-up fills.
        ASSERT_TRUE(
            driver::WaitUntil([&] { return !session->Text(IDC_AVAILABLE_PAGE_FILE).empty(); }));
        record.Field(session, "total physical memory", IDC_TOTAL_PHYSICAL);
        // The first paint writes the speed back; after that the order of calls is fixed.
        ASSERT_TRUE(driver::WaitUntil(
            [&] { return session.Calls("IDgnEngineControl.SetParameter").size() >= 2; }));
        record.Field(session, "speed", IDC_CURRENT_SPEED);

        record.Section("two dictated utterances");
        ASSERT_TRUE(session.Dictate(
            Spoken({{5, L"alpha"}, {9, L"bravo"}, {9, L"charlie"}, {3, L"delta"}}, 1000, 3000)));
        ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
        ASSERT_TRUE(session.Dictate(Spoken({{70, L"echo"}, {40, L"foxtrot"}}, 4000, 5500)));
        ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"2"; }));
        record.List(session);
        Statistics(record, session);

        record.Section("saved log");
        std::wstring log = folder / L"log.txt";
        SaveWith(session, IDC_SAVE_LOG, log);
        record.File(log);
        record.Section("exported text");
        std::wstring text = folder / L"text.txt";
        SaveWith(session, IDC_EXPORT_TEXT, text);
        record.File(text);
        for (const driver::MessageBoxInfo& box : session->MessageBoxes()) {
            record.Line("box: " + Narrow(box.text));
            session->Dismiss(box);
        }

        record.Section("reset all");
        session->Click(IDC_RESET_ALL);
        ASSERT_TRUE(driver::WaitUntil([&] { return session->ListLines(IDC_RESULTS).empty(); }));
        Statistics(record, session);

        record.Section("file transcription");
        std::wstring file = SpokenFile(folder, L"three.wav", 3);
        testfiles::Write(folder / L"three.txt", "golf hotel india juliet kilo lima");
        session->SetText(IDC_PATH, file);
        session->Click(IDC_TRANSCRIBE);
        ASSERT_TRUE(driver::WaitUntil([&] { return session->IsEnabled(IDC_STOP); }));
        ASSERT_TRUE(driver::WaitWhileProgressing([&] { return !session->IsEnabled(IDC_STOP); },
                                                 [&] { return session->Text(IDC_UTTERANCES); },
                                                 30000));
        record.List(session);
        Statistics(record, session);

        record.Section("a failed analysis");
        ASSERT_TRUE(session.Arm(Fail("IDgnResWords.get_Item", E_FAIL, FailWhen::NthCall, 2)));
        ASSERT_TRUE(session.Dictate(Spoken({{50, L"mike"}, {60, L"november"}}, 0, 1000)));
        std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
        ASSERT_TRUE(box);
        record.Line(Narrow(box->caption) + ": " + Narrow(box->text));
        session->Dismiss(*box);

        record.Section("exit");
        record.Line("exit code " + std::to_string(session->Exit().value_or(0xFFFFFFFF)));
        std::vector<JournalEntry> journal = session.Journal();
        std::optional<standin::control::Summary> summary = standin::control::LastSummary(journal);
        ASSERT_TRUE(summary);
        // Strings are counted in-process only: checked, not written, so both forms compare.
        record.Line("objects left " + std::to_string(summary->objects));
        EXPECT_EQ(summary->objects, 0) << summary->alive;
        EXPECT_EQ(summary->bstrs, ExpectedUnfreedStrings());
        record.Section("engine calls and events");
        record.Calls(journal);
    }
    {
        record.Section("a start-up failure");
        Scenario failing = NormalProfile();
        failing.Fail(Fail("IDgnEngineControl.get_Speaker", E_ACCESSDENIED));
        Session session(failing);
        std::optional<driver::MessageBoxInfo> box =
            session->WaitForMessageBox(driver::kStartTimeoutMs);
        ASSERT_TRUE(box);
        record.Line(Narrow(box->caption) + ": " + Narrow(box->text));
        record.Line("exit code " + std::to_string(session.EndWithExit()));
    }

    const wchar_t* out = _wgetenv(L"TARVELL_COMPARISON_OUT");
    testfiles::Write(out ? std::wstring(out) : folder / L"comparison.txt", record.Text());
}
