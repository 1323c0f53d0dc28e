#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <vector>

#include "measure/session_statistics.h"
#include "resources/resource.h"

namespace {

std::map<int, std::wstring> Shown(SessionStatistics& s)
{
    std::map<int, std::wstring> byControl;
    for (const auto& [id, text] : StatisticsTexts(s))
        byControl[id] = text;
    return byControl;
}

SessionStatistics Totals(int32_t utterances, int32_t words, int32_t dictationMs,
                         uint32_t processingMs)
{
    SessionStatistics s;
    s.UtteranceCount = utterances;
    s.TotalWords = words;
    s.TotalDictationMs = dictationMs;
    s.TotalProcessingMs = processingMs;
    return s;
}

} // namespace

TEST(SessionStatistics, TenFieldsInTheOrderTheyAreWritten)
{
    SessionStatistics s = Totals(1, 3, 1000, 500);
    std::vector<int> order;
    for (const auto& field : StatisticsTexts(s))
        order.push_back(field.first);
    std::vector<int> expected = {IDC_UTTERANCES,
                                 IDC_WORDS,
                                 IDC_WPM,
                                 IDC_WPU,
                                 IDC_TOTAL_DICTATION,
                                 IDC_TOTAL_PROCESSING,
                                 IDC_AVERAGE_RTF,
                                 IDC_TOTAL_AVERAGE_SCORE,
                                 IDC_TOTAL_MINIMUM_SCORE,
                                 IDC_TOTAL_MAXIMUM_SCORE};
    EXPECT_EQ(order, expected);
}

TEST(SessionStatistics, RatesAndTimesFromTheTotals)
{
    struct Case
    {
        const char* what;
        SessionStatistics totals;
        const wchar_t *wpm, *wpu, *dictation, *processing, *rtf;
    } cases[] = {
        {"120 words in a minute", Totals(1, 120, 60000, 30000), L"120", L"120.0", L"60.00",
         L"30.00", L"0.500"},
        {"words per utterance", Totals(3, 10, 4000, 1000), L"150", L"3.3", L"4.00", L"1.00",
         L"0.250"},
        {"processing beyond 2^31 ms stays positive", Totals(1, 0, 1000, 3000000000u), L"0", L"0.0",
         L"1.00", L"3000000.00", L"3000000.000"},
        {"no dictation time", Totals(1, 5, 0, 1234), L"inf", L"5.0", L"0.00", L"1.23", L"inf"},
        {"nothing at all", Totals(1, 0, 0, 0), L"nan", L"0.0", L"0.00", L"0.00", L"nan"},
        {"negative dictation time", Totals(2, 6, -2000, 1000), L"-180", L"3.0", L"-2.00", L"1.00",
         L"-0.500"},
        {"no utterances", Totals(0, 4, 1000, 1000), L"240", L"inf", L"1.00", L"1.00", L"1.000"},
    };
    for (Case& c : cases) {
        std::map<int, std::wstring> shown = Shown(c.totals);
        EXPECT_EQ(shown[IDC_WPM], c.wpm) << c.what;
        EXPECT_EQ(shown[IDC_WPU], c.wpu) << c.what;
        EXPECT_EQ(shown[IDC_TOTAL_DICTATION], c.dictation) << c.what;
        EXPECT_EQ(shown[IDC_TOTAL_PROCESSING], c.processing) << c.what;
        EXPECT_EQ(shown[IDC_AVERAGE_RTF], c.rtf) << c.what;
    }
}

TEST(SessionStatistics, DerivedFieldsAreStoredInTheRecord)
{
    SessionStatistics s = Totals(4, 120, 60000, 0);
    StatisticsTexts(s);
    EXPECT_DOUBLE_EQ(s.WordsPerMinute, 120.0);
    EXPECT_DOUBLE_EQ(s.WordsPerUtterance, 30.0);

    SessionStatistics silent = Totals(1, 5, 0, 0);
    StatisticsTexts(silent);
    EXPECT_TRUE(std::isinf(silent.WordsPerMinute));
}

TEST(SessionStatistics, TotalAverageScoreIsTheTruncatedMeanOfUtteranceAverages)
{
    SessionStatistics s;
    struct Step
    {
        bool complete;
        int32_t average;
        const wchar_t* shown;
    } steps[] = {
        {true, 80, L"80"},    {true, 91, L"85"}, // 171 / 2
        {false, 0, L"57"},                       // counted but added nothing: 171 / 3
        {true, 70, L"60"},                       // 241 / 4
        {true, -400, L"-31"},                    // -159 / 5 truncates toward zero
    };
    for (const Step& step : steps) {
        CountUtterance(s);
        if (step.complete)
            AddAverageScore(s, step.average);
        EXPECT_EQ(Shown(s)[IDC_TOTAL_AVERAGE_SCORE], step.shown) << step.average;
    }
    SessionStatistics none;
    EXPECT_EQ(Shown(none)[IDC_TOTAL_AVERAGE_SCORE], L"0");
}

TEST(SessionStatistics, FreshExtremesShow999And0)
{
    SessionStatistics s;
    s.UtteranceCount = 1;
    std::map<int, std::wstring> shown = Shown(s);
    EXPECT_EQ(shown[IDC_TOTAL_MINIMUM_SCORE], L"999");
    EXPECT_EQ(shown[IDC_TOTAL_MAXIMUM_SCORE], L"0");
    EXPECT_EQ(shown[IDC_UTTERANCES], L"1");
    EXPECT_EQ(shown[IDC_WORDS], L"0");
}

TEST(SessionStatistics, TotalsWrapModulo2To32)
{
    SessionStatistics s;
    s.UtteranceCount = INT_MAX;
    s.TotalWords = INT_MAX - 1;
    s.TotalDictationMs = INT_MIN;
    s.TotalProcessingMs = 0xFFFFFFF0u;
    s.SumOfAverageScores = INT_MAX;
    CountUtterance(s);
    AddWords(s, 3);
    AddTiming(s, -1, 0x20);
    AddAverageScore(s, 1);
    EXPECT_EQ(s.UtteranceCount, INT_MIN);
    EXPECT_EQ(s.TotalWords, INT_MIN + 1);
    EXPECT_EQ(s.TotalDictationMs, INT_MAX);
    EXPECT_EQ(s.TotalProcessingMs, 0x10u);
    EXPECT_EQ(s.SumOfAverageScores, INT_MIN);
    // The widest texts still fit their fields.
    for (const auto& field : StatisticsTexts(s))
        EXPECT_LT(field.second.size(), kStatisticsTextCapacity) << field.first;
}

TEST(SessionStatistics, ResetReturnsEveryStartValue)
{
    SessionStatistics s = Totals(9, 90, 9000, 900);
    s.SumOfAverageScores = 12;
    s.MaxScore = 88;
    s.MinScore = 4;
    StatisticsTexts(s);
    s.Reset();
    EXPECT_EQ(s.UtteranceCount, 0);
    EXPECT_EQ(s.TotalWords, 0);
    EXPECT_EQ(s.TotalDictationMs, 0);
    EXPECT_EQ(s.TotalProcessingMs, 0u);
    EXPECT_EQ(s.SumOfAverageScores, 0);
    EXPECT_EQ(s.MaxScore, 0);
    EXPECT_EQ(s.MinScore, 999);
    EXPECT_EQ(s.WordsPerMinute, 0.0);
    EXPECT_EQ(s.WordsPerUtterance, 0.0);
}
