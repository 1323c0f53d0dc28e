// Measuring dictated utterances end to end: the report lines in the list and the log, the
// statistics fields, every failure of the analysis, Reset All, and the system figures.
#include <gtest/gtest.h>

#include <regex>

#include "engine_session.h"
#include "resources/resource.h"

using namespace e2e;

namespace {

const std::string kRule49(49, '-');
const std::wregex kTimeOfDay(L"[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");

Utterance Spoken(std::vector<std::pair<LONG, std::wstring>> words, LONG startMs = 1000,
                 LONG endMs = 3000, LONG phrases = 4)
{
    Utterance utterance;
    for (auto& [score, text] : words)
        utterance.words.push_back(Word{score, text});
    utterance.start = std::make_pair(0L, startMs);
    utterance.end = std::make_pair(0L, endMs);
    utterance.phraseCount = phrases;
    return utterance;
}

Utterance Scores(std::vector<LONG> scores)
{
    std::vector<std::pair<LONG, std::wstring>> words;
    for (LONG score : scores)
        words.emplace_back(score, L"w" + std::to_wstring(words.size()));
    return Spoken(words);
}

std::string Narrow(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : text)
        bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

// The log's lines after its three start lines.
std::vector<std::string> LoggedLines(Session& session)
{
    std::vector<std::string> lines = testfiles::Lines(testfiles::Read(session->SessionLogPath()));
    return lines.size() < 3 ? lines : std::vector<std::string>(lines.begin() + 3, lines.end());
}

// Waits until the list holds at least this many lines.
bool ListReaches(Session& session, size_t count)
{
    size_t lines = 0;
    return driver::WaitWhileProgressing(
        [&] { return (lines = session->ListLines(IDC_RESULTS).size()) >= count; },
        [&] { return lines; });
}

const int kStatisticsFields[] = {IDC_UTTERANCES,
                                 IDC_WORDS,
                                 IDC_WPM,
                                 IDC_WPU,
                                 IDC_TOTAL_DICTATION,
                                 IDC_TOTAL_PROCESSING,
                                 IDC_AVERAGE_RTF,
                                 IDC_TOTAL_AVERAGE_SCORE,
                                 IDC_TOTAL_MINIMUM_SCORE,
                                 IDC_TOTAL_MAXIMUM_SCORE};

} // namespace

TEST(Measuring, OneUtteranceGivesItsLinesInTheListAndTheLogAndItsFields)
{
    Session session;
    ASSERT_TRUE(session.Start());
    Utterance spoken =
        Spoken({{5, L"alpha"}, {9, L"bravo"}, {9, L"charlie"}, {3, L"delta"}, {3, L"echo"}});
    // Processing long enough that the span below is mostly the engine's, not the calls around it.
    spoken.processingMs = 400;
    ASSERT_TRUE(session.Dictate(spoken));
    ASSERT_TRUE(ListReaches(session, 14));
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->Text(IDC_TOTAL_MAXIMUM_SCORE).empty(); }));

    std::vector<std::wstring> lines = session->ListLines(IDC_RESULTS);
    ASSERT_EQ(lines.size(), 14u);
    std::wsmatch first;
    ASSERT_TRUE(std::regex_match(
        lines[0], first,
        std::wregex(L"Utterance #: 1      RTF: ([0-9]+\\.[0-9]{3})      4 alternate phrases in "
                    L"result")))
        << lines[0];
    std::vector<std::wstring> expected = {
        lines[0],
        L"5 words in utterance, each with individual confidence scores:",
        L"",
        L"5 : alpha",
        L"9 : bravo",
        L"9 : charlie",
        L"3 : delta",
        L"3 : echo",
        L"",
        L"9 : bravo <---> Maximum Score",
        L"3 : delta <---> Minimum Score",
        L"5 : <---> Average Score",
        std::wstring(49, L'-'),
        L"",
    };
    EXPECT_EQ(lines, expected);
    std::vector<std::string> logged;
    for (const std::wstring& line : expected)
        logged.push_back(Narrow(line));
    EXPECT_EQ(LoggedLines(session), logged);

    // The real-time factor covers the span from the start event to the result in hand.
    double rtf = std::stod(first[1].str());
    std::vector<JournalEntry> journal = session.Journal();
    long long startEvent = 0, resultInHand = 0;
    for (const JournalEntry& entry : journal) {
        if (entry.kind == "event-begin" && entry.Field(0) == "8")
            startEvent = entry.micros;
        if (entry.IsCall("ResultTime.GetLowPart"))
            resultInHand = entry.micros;
    }
    ASSERT_GT(resultInHand, startEvent);
    double spanMs = static_cast<double>(resultInHand - startEvent) / 1000.0;
    // The program's ticks step by about 16 ms under Wine, at each end of the span; under the
    // 32-bit emulation the calls around it took 25 ms more. Not covering the span would be
    // hundreds of milliseconds out.
    EXPECT_NEAR(rtf * 2000.0, spanMs, 60.0);

    EXPECT_EQ(session->Text(IDC_UTTERANCES), L"1");
    EXPECT_EQ(session->Text(IDC_WORDS), L"5");
    EXPECT_EQ(session->Text(IDC_WPM), L"150");
    EXPECT_EQ(session->Text(IDC_WPU), L"5.0");
    EXPECT_EQ(session->Text(IDC_TOTAL_DICTATION), L"2.00");
    EXPECT_EQ(session->Text(IDC_AVERAGE_RTF), first[1].str());
    EXPECT_EQ(session->Text(IDC_TOTAL_AVERAGE_SCORE), L"5");
    EXPECT_EQ(session->Text(IDC_TOTAL_MINIMUM_SCORE), L"3");
    EXPECT_EQ(session->Text(IDC_TOTAL_MAXIMUM_SCORE), L"9");
    EXPECT_TRUE(
        std::regex_match(session->Text(IDC_TOTAL_PROCESSING), std::wregex(L"[0-9]+\\.[0-9]{2}")));
    EXPECT_TRUE(std::regex_match(session->Text(IDC_REC_START), kTimeOfDay));
    EXPECT_TRUE(std::regex_match(session->Text(IDC_STOP_TIME), kTimeOfDay));
    EXPECT_EQ(session->Text(IDC_TRANSCRIPTION), L"alpha bravo charlie delta echo");
    EXPECT_EQ(session->ListCaretIndex(IDC_RESULTS), 13);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Measuring, EachFailureOfTheAnalysisKeepsWhatCameBeforeIt)
{
    struct Case
    {
        std::string operation;
        long nth;
        const wchar_t* text;
        size_t linesKept;         // of the failed analysis
        const wchar_t* words;     // the words field after the next complete analysis
        const wchar_t* dictation; // the dictation time field then
    } cases[] = {
        {"IDgnEditDictation.get_LastResult", 1,
         L"IDgnEditDictation::get_LastResult(&pIDgnResult) failed", 0, L"5", L"2.00"},
        {"ResultPhraseList.get_Item", 1, L"IDgnEditDictation::get_Item(0, &pIDgnResPhrase) failed",
         0, L"5", L"4.00"},
        {"IDgnResPhrase.get_Words", 1, L"IDgnEditDictation::get_Words(&pIDgnResWords) failed", 0,
         L"5", L"4.00"},
        {"IDgnResWords.get_Item", 3, L"IDgnEditDictation::get_Item(i, & pIDgnResWord) failed", 5,
         L"10", L"4.00"},
        {"IDgnResWord.get_ConfidenceScore", 3,
         L"IDgnEditDictation::get_ConfidenceScore(&lConfScore) failed", 5, L"10", L"4.00"},
        {"IDgnResWord.get_Text", 3, L"IDgnEditDictation::get_Text(&szWord) failed", 5, L"10",
         L"4.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        Session session;
        ASSERT_TRUE(session.Start());
        ASSERT_TRUE(session.Arm(Fail(c.operation, E_FAIL, FailWhen::NthCall, c.nth)));
        ASSERT_TRUE(session.Dictate(Scores({50, 60, 70, 80, 90})));
        std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, std::wstring(c.text) + L" (HRESULT 0x80004005)");
        EXPECT_EQ(session->ListLines(IDC_RESULTS).size(), c.linesKept);
        EXPECT_EQ(LoggedLines(session).size(), c.linesKept);
        for (int id : kStatisticsFields)
            EXPECT_TRUE(session->Text(id).empty()) << id;
        EXPECT_TRUE(std::regex_match(session->Text(IDC_STOP_TIME), kTimeOfDay));
        session->Dismiss(*box);
        ASSERT_TRUE(driver::WaitUntil([&] { return session->MessageBoxes().empty(); }));

        ASSERT_TRUE(session.Dictate(Scores({50, 60, 70, 80, 90})));
        ASSERT_TRUE(ListReaches(session, c.linesKept + 14));
        ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"2"; }));
        EXPECT_EQ(session->ListLines(IDC_RESULTS)[c.linesKept].substr(0, 15), L"Utterance #: 2 ");
        EXPECT_EQ(session->Text(IDC_WORDS), c.words);
        EXPECT_EQ(session->Text(IDC_TOTAL_DICTATION), c.dictation);
        // One complete average of 70 over two results.
        EXPECT_EQ(session->Text(IDC_TOTAL_AVERAGE_SCORE), L"35");
        EXPECT_EQ(session->Exit(), 0u);
    }
}

TEST(Measuring, TheTotalAverageIsTheMeanOfTheUtterancesIntegerAverages)
{
    Scenario scenario = NormalProfile();
    scenario.Fail(Fail("IDgnEditDictation.get_LastResult", E_FAIL, FailWhen::NthCall, 3));
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    auto averageAfter = [&](const Utterance& utterance, const wchar_t* count) {
        EXPECT_TRUE(session.Dictate(utterance));
        EXPECT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == count; }));
        return session->Text(IDC_TOTAL_AVERAGE_SCORE);
    };
    EXPECT_EQ(averageAfter(Scores({80, 81, 79}), L"1"), L"80");
    EXPECT_EQ(averageAfter(Scores({91, 92}), L"2"), L"85"); // 91 (183 / 2) then 171 / 2
    ASSERT_TRUE(session.Dictate(Scores({10})));
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(session->Text(IDC_TOTAL_AVERAGE_SCORE), L"85");
    session->Dismiss(*box);
    EXPECT_EQ(averageAfter(Scores({70, 71, 69}), L"4"), L"60"); // 241 / 4
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Measuring, ResetAllEmptiesEverythingButKeepsTheStartTick)
{
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.Dictate(Scores({40, 50})));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
    SetFocus(nullptr);
    session->Click(IDC_RESET_ALL);
    ASSERT_TRUE(driver::WaitUntil([&] { return session->ListLines(IDC_RESULTS).empty(); }));
    for (int id : kStatisticsFields)
        EXPECT_TRUE(session->Text(id).empty()) << id;
    EXPECT_TRUE(session->Text(IDC_REC_START).empty());
    EXPECT_TRUE(session->Text(IDC_STOP_TIME).empty());
    EXPECT_TRUE(session->Text(IDC_TRANSCRIPTION).empty());
    EXPECT_EQ(session->FocusedId(), IDC_TRANSCRIPTION);
    std::vector<std::string> logged = LoggedLines(session);
    ASSERT_GE(logged.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(logged.end() - 4, logged.end()),
              (std::vector<std::string>{"Reset All pressed.", "", kRule49, ""}));

    // A result without a new start event still measures from the start tick kept across
    // the reset: at least the time that has passed since that event.
    Sleep(1500);
    ASSERT_TRUE(session.RaiseEvent(1));
    ASSERT_TRUE(ListReaches(session, 11));
    std::wsmatch rtf;
    std::wstring first = session->ListLines(IDC_RESULTS)[0];
    ASSERT_TRUE(std::regex_search(first, rtf, std::wregex(L"^Utterance #: 1      RTF: ([0-9.]+)")))
        << testing::PrintToString(first);
    EXPECT_GE(std::stod(rtf[1].str()) * 2000.0, 1500.0);

    ASSERT_TRUE(session.Dictate(Scores({60})));
    ASSERT_TRUE(ListReaches(session, 21));
    EXPECT_EQ(session->ListLines(IDC_RESULTS)[11].substr(0, 15), L"Utterance #: 2 ");
    EXPECT_EQ(session->Text(IDC_TOTAL_MINIMUM_SCORE), L"40");
    EXPECT_EQ(session->Text(IDC_TOTAL_MAXIMUM_SCORE), L"60");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(ResultsList, BottomAndTopMoveTheCaretOverAListOf120Lines)
{
    Session session;
    ASSERT_TRUE(session.Start());
    std::vector<LONG> scores(111, 50);
    ASSERT_TRUE(session.Dictate(Scores(scores)));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
    ASSERT_EQ(session->ListLines(IDC_RESULTS).size(), 120u);
    EXPECT_EQ(session->ListCaretIndex(IDC_RESULTS), 119);
    session->ClickAndWait(IDC_TOP);
    EXPECT_EQ(session->ListCaretIndex(IDC_RESULTS), 0);
    session->ClickAndWait(IDC_BOTTOM);
    EXPECT_EQ(session->ListCaretIndex(IDC_RESULTS), 119);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Measuring, LongAndForeignWordTexts)
{
    Session session;
    ASSERT_TRUE(session.Start());
    std::wstring longWord(300, L'x');
    ASSERT_TRUE(session.Dictate(Spoken({{70, longWord}, {80, L"Zo\u00eb \u0141\u00f3d\u017a"}})));
    ASSERT_TRUE(ListReaches(session, 11));
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->Text(IDC_UTTERANCES).empty(); }));
    std::vector<std::wstring> lines = session->ListLines(IDC_RESULTS);
    EXPECT_EQ(lines[3], (L"70 : " + longWord).substr(0, 259));
    EXPECT_EQ(lines[4], L"80 : Zo\u00eb \u0141\u00f3d\u017a");
    std::vector<std::string> logged = LoggedLines(session);
    ASSERT_GE(logged.size(), 5u);
    EXPECT_EQ(logged[3], Narrow(lines[3]));
    EXPECT_EQ(logged[4], "80 : Zo\xeb ?\xf3"
                         "d?");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Measuring, HundredsOfResultsAndAResetLeaveHandlesWindowsAndGdiObjectsAsTheyWere)
{
    Session session;
    ASSERT_TRUE(session.Start());
    // Results, then Reset All and one more result: the same round twice, the first to settle
    // what is made once (the events' type library, Wine's caches of DCs and scroll bars).
    // The count goes on from the round before's last result: waiting for the round's own
    // number caught it only in passing, and missed it on a busy machine.
    auto round = [&](int results) {
        std::wstring expected =
            std::to_wstring(_wtoi(session->Text(IDC_UTTERANCES).c_str()) + results);
        for (int i = 0; i < results; ++i)
            EXPECT_TRUE(session.Dictate(Scores({50, 60, 70})));
        bool counted =
            driver::WaitWhileProgressing([&] { return session->Text(IDC_UTTERANCES) == expected; },
                                         [&] { return session->Text(IDC_UTTERANCES); });
        // Where it stopped: a lost result, a box holding the program up, or a program stalled.
        if (!counted) {
            size_t raised = 0;
            for (const JournalEntry& entry : session.Journal())
                raised += entry.kind == "event-end" && entry.Field(0) == "1";
            std::vector<driver::MessageBoxInfo> boxes = session->MessageBoxes();
            ADD_FAILURE() << "counted " << testing::PrintToString(session->Text(IDC_UTTERANCES))
                          << " of " << testing::PrintToString(expected)
                          << "; results raised by the engine: " << raised
                          << "; boxes open: " << boxes.size()
                          << (boxes.empty() ? ""
                                            : " (" + testing::PrintToString(boxes[0].text) + ")");
        }
        session->ClickAndWait(IDC_RESET_ALL);
        EXPECT_TRUE(session.Dictate(Scores({80})));
        EXPECT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
        // The list repaints later, and a busy machine makes that later still: the counts
        // are read until five reads in a row agree.
        driver::Tarvell::ResourceCounts counts = session->Resources();
        int agreeing = 0;
        driver::WaitUntil([&] {
            Sleep(100);
            driver::Tarvell::ResourceCounts now = session->Resources();
            bool same = now.windows == counts.windows && now.gdiObjects == counts.gdiObjects;
            agreeing = same ? agreeing + 1 : 0;
            counts = now;
            return agreeing == 5;
        });
        return counts;
    };
    driver::Tarvell::ResourceCounts before = round(100);
    ASSERT_GT(before.handles, 0);
    ASSERT_GT(before.windows, 0);
    ASSERT_GT(before.gdiObjects, 0);
    driver::Tarvell::ResourceCounts after = round(200);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    // Wine's own threads may hold a handle or two for a moment; a leak of one a result
    // would show as 200.
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Measuring, MemoryFieldsAreRefreshedOnEachResultWhileTheProcessorStays)
{
    Session session;
    ASSERT_TRUE(session.Start());
    std::wstring cpu = session->Text(IDC_CPU_MODEL);
    const int memory[] = {IDC_TOTAL_PHYSICAL,     IDC_AVAILABLE_PHYSICAL, IDC_MEMORY_LOAD,
                          IDC_TOTAL_VIRTUAL,      IDC_AVAILABLE_VIRTUAL,  IDC_TOTAL_PAGE_FILE,
                          IDC_AVAILABLE_PAGE_FILE};
    for (int id : memory)
        session->SetText(id, L"stale");
    session->SetText(IDC_CPU_MODEL, L"kept");
    ASSERT_TRUE(session.Dictate(Scores({50})));
    ASSERT_TRUE(driver::WaitUntil([&] { return !session->Text(IDC_UTTERANCES).empty(); }));
    for (int id : memory)
        EXPECT_TRUE(std::regex_match(session->Text(id), std::wregex(L"-?[0-9]+"))) << id;
    EXPECT_EQ(session->Text(IDC_CPU_MODEL), L"kept");
    EXPECT_FALSE(cpu.empty());
    EXPECT_EQ(session->Exit(), 0u);
}
