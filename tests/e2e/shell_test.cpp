// The program's shell, end to end: start-up, the ways to end it, one copy per session,
// the session log's lifetime.
#include <gtest/gtest.h>

#include <regex>

#include "files.h"
#include "resources/resource.h"
#include "tarvell_driver.h"

using driver::Tarvell;

namespace {

const int kEveryControl[] = {IDC_TRANSCRIPTION,
                             IDC_PATH,
                             IDC_BROWSE,
                             IDC_TRANSCRIBE,
                             IDC_STOP,
                             IDOK,
                             IDC_CHECK_SNR,
                             IDC_SNR,
                             IDC_SPEED_ACCURACY,
                             IDC_RESET_ALL,
                             IDC_PROFILE_SOURCE,
                             IDC_UTTERANCES,
                             IDC_WORDS,
                             IDC_AVERAGE_RTF,
                             IDC_TOTAL_AVERAGE_SCORE,
                             IDC_TOTAL_MAXIMUM_SCORE,
                             IDC_TOTAL_MINIMUM_SCORE,
                             IDC_CURRENT_SPEED,
                             IDC_RESULTS,
                             IDC_BOTTOM,
                             IDC_TOP,
                             IDC_SAVE_LOG,
                             IDC_EXPORT_TEXT,
                             IDC_CPU_MODEL,
                             IDC_TOTAL_DICTATION,
                             IDC_TOTAL_PROCESSING,
                             IDC_WPM,
                             IDC_ENGINE_VERSION,
                             IDC_MODEL_VOCABULARY,
                             IDC_TOTAL_PHYSICAL,
                             IDC_AVAILABLE_PHYSICAL,
                             IDC_MEMORY_LOAD,
                             IDC_TOTAL_PAGE_FILE,
                             IDC_AVAILABLE_PAGE_FILE,
                             IDC_TOTAL_VIRTUAL,
                             IDC_AVAILABLE_VIRTUAL,
                             IDC_REC_START,
                             IDC_STOP_TIME,
                             IDC_WPU};

const std::regex kStartLine("Mirelle Session Started: (Sunday|Monday|Tuesday|Wednesday|Thursday|"
                            "Friday|Saturday), (January|February|March|April|May|June|July|"
                            "August|September|October|November|December) [0-9]{1,2}, [0-9]{4} "
                            "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");

} // namespace

TEST(StartUp, EveryControlIsThereAndStopIsTheOnlyDisabledOne)
{
    Tarvell tarvell;
    ASSERT_TRUE(tarvell.WaitForDialog());
    for (int id : kEveryControl) {
        ASSERT_NE(tarvell.Control(id), nullptr) << id;
        EXPECT_EQ(tarvell.IsEnabled(id), id != IDC_STOP) << id;
    }
    EXPECT_EQ(tarvell.FocusedId(), IDC_TRANSCRIPTION);
    EXPECT_TRUE(tarvell.ListLines(IDC_RESULTS).empty());
    EXPECT_TRUE(tarvell.MessageBoxes().empty());
    EXPECT_EQ(tarvell.Exit(), 0u);
}

TEST(StartUp, TheLogHoldsExactlyTheThreeStartLines)
{
    Tarvell tarvell;
    ASSERT_TRUE(tarvell.WaitForDialog());
    std::wstring log = tarvell.SessionLogPath();
    ASSERT_FALSE(log.empty());
    std::string bytes = testfiles::Read(log);
    std::vector<std::string> lines = testfiles::Lines(bytes);
    ASSERT_EQ(lines.size(), 3u) << bytes;
    EXPECT_TRUE(std::regex_match(lines[0], kStartLine)) << lines[0];
    EXPECT_EQ(lines[1].rfind("Mirelle Log File Service, ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
    // The placeholder it was named after is gone.
    std::wstring placeholder = log.substr(0, log.size() - 4) + L".tmp";
    EXPECT_FALSE(testfiles::Exists(placeholder));
    EXPECT_EQ(tarvell.Exit(), 0u);
}

TEST(Ending, ExitEscapeAndCloseEachEndWithCodeZeroAndRemoveTheLog)
{
    struct Way
    {
        const char* name;
        void (*end)(const Tarvell&);
    } ways[] = {
        {"Exit", [](const Tarvell& t) { t.Click(IDOK); }},
        {"Escape", [](const Tarvell& t) { t.PressEscape(); }},
        {"Close", [](const Tarvell& t) { t.PressClose(); }},
        {"Enter in the path field",
         [](const Tarvell& t) { t.PressKey(t.Control(IDC_PATH), VK_RETURN); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Tarvell tarvell;
        ASSERT_TRUE(tarvell.WaitForDialog());
        std::wstring log = tarvell.SessionLogPath();
        ASSERT_FALSE(log.empty());
        way.end(tarvell);
        EXPECT_EQ(tarvell.WaitForExit(), 0u);
        EXPECT_FALSE(testfiles::Exists(log));
        EXPECT_TRUE(tarvell.MessageBoxes().empty());
    }
}

TEST(Ending, EnterInTheTranscriptionBoxInsertsALineBreak)
{
    Tarvell tarvell;
    ASSERT_TRUE(tarvell.WaitForDialog());
    HWND box = tarvell.Control(IDC_TRANSCRIPTION);
    PostMessageW(box, WM_CHAR, L'a', 1);
    // The dialog's loop translates the key into the character, as for a real key press.
    tarvell.PressKey(box, VK_RETURN);
    EXPECT_TRUE(driver::WaitUntil([&] { return tarvell.Text(IDC_TRANSCRIPTION) == L"a\r\n"; }))
        << "box holds: " << testing::PrintToString(tarvell.Text(IDC_TRANSCRIPTION));
    EXPECT_TRUE(tarvell.Running());
    EXPECT_EQ(tarvell.Exit(), 0u);
}

TEST(SingleInstance, ASecondCopyExitsAtOnceAndALaterOneRuns)
{
    Tarvell first;
    ASSERT_TRUE(first.WaitForDialog());

    Tarvell second;
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(driver::WindowsOf(second.ProcessId()).empty());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(first.MessageBoxes().empty());

    first.Click(IDOK);
    ASSERT_EQ(first.WaitForExit(), 0u);

    Tarvell third;
    ASSERT_TRUE(third.WaitForDialog());
    EXPECT_EQ(third.Exit(), 0u);
}

TEST(ResultsList, TopAndBottomOnTheEmptyListChangeNothing)
{
    Tarvell tarvell;
    ASSERT_TRUE(tarvell.WaitForDialog());
    int caret = tarvell.ListCaretIndex(IDC_RESULTS);
    tarvell.ClickAndWait(IDC_BOTTOM);
    tarvell.ClickAndWait(IDC_TOP);
    tarvell.ClickAndWait(IDC_BOTTOM);
    EXPECT_TRUE(tarvell.ListLines(IDC_RESULTS).empty());
    EXPECT_EQ(tarvell.ListCaretIndex(IDC_RESULTS), caret);
    EXPECT_TRUE(tarvell.MessageBoxes().empty());
    EXPECT_TRUE(tarvell.Running());
    EXPECT_EQ(tarvell.Exit(), 0u);
}
