#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "measure/report_lines.h"

namespace {

const std::wstring kRule(49, L'-');

UtteranceMeasurement FiveWords()
{
    UtteranceMeasurement m;
    m.RealTimeFactor = 0.4321;
    m.AlternateCount = 3;
    m.WordCount = 5;
    FoldWord(m, 5, L"the");
    FoldWord(m, 9, L"quick");
    FoldWord(m, 9, L"brown");
    FoldWord(m, 3, L"fox");
    FoldWord(m, 3, L"jumps");
    FinishAverage(m);
    return m;
}

} // namespace

TEST(ReportLines, AFiveWordUtteranceReadsLineForLine)
{
    UtteranceMeasurement m = FiveWords();
    std::vector<std::wstring> expectedOpening = {
        L"Utterance #: 1      RTF: 0.432      3 alternate phrases in result",
        L"5 words in utterance, each with individual confidence scores:",
        L"",
    };
    std::vector<std::wstring> expectedClosing = {
        L"",
        L"9 : quick <---> Maximum Score",
        L"3 : fox <---> Minimum Score",
        L"5 : <---> Average Score",
        kRule,
        L"",
    };
    EXPECT_EQ(OpeningLines(1, m), expectedOpening);
    EXPECT_EQ(WordLine(9, L"brown"), L"9 : brown");
    EXPECT_EQ(ClosingLines(m), expectedClosing);
}

TEST(ReportLines, HeaderShowsTheRealTimeFactorAsTheRuntimePrintsIt)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        double rtf;
        const wchar_t* shown;
    } cases[] = {
        {0.0, L"0.000"},
        {1.2346, L"1.235"},
        {-0.5, L"-0.500"},
        {4294967295.0, L"4294967295.000"},
        {inf, L"inf"},
        {-inf, L"-inf"},
        {std::numeric_limits<double>::quiet_NaN(), L"nan"},
    };
    for (const Case& c : cases) {
        UtteranceMeasurement m;
        m.RealTimeFactor = c.rtf;
        m.AlternateCount = -1;
        std::wstring expected = L"Utterance #: 12      RTF: " + std::wstring(c.shown) +
                                L"      -1 alternate phrases in result";
        EXPECT_EQ(OpeningLines(12, m).front(), expected);
    }
}

TEST(ReportLines, MissingTextsReadNull)
{
    UtteranceMeasurement none;
    std::vector<std::wstring> closing = ClosingLines(none);
    EXPECT_EQ(closing[1], L"0 : (null) <---> Maximum Score");
    EXPECT_EQ(closing[2], L"999 : (null) <---> Minimum Score");
    EXPECT_EQ(closing[3], L"0 : <---> Average Score");
    EXPECT_EQ(WordLine(-12, nullptr), L"-12 : (null)");
    EXPECT_EQ(WordLine(0, L""), L"0 : ");
}

TEST(ReportLines, OverLongLinesAreCutTo259Characters)
{
    const std::wstring word(300, L'w');
    UtteranceMeasurement m;
    FoldWord(m, 77, word.c_str());

    std::wstring line = WordLine(77, word.c_str());
    EXPECT_EQ(line, L"77 : " + std::wstring(254, L'w'));
    std::vector<std::wstring> closing = ClosingLines(m);
    EXPECT_EQ(closing[1], L"77 : " + std::wstring(254, L'w'));
    EXPECT_EQ(closing[2], closing[1]);

    // 259 characters in full are kept; one more is cut.
    EXPECT_EQ(WordLine(1, std::wstring(255, L'x').c_str()).size(), 259u);
    EXPECT_EQ(WordLine(1, std::wstring(254, L'x').c_str()).size(), 258u);
    EXPECT_EQ(WordLine(1, std::wstring(256, L'x').c_str()).size(), 259u);
}

TEST(ReportLines, ACutNeverSplitsASurrogatePair)
{
    // "1 : " and 254 letters leave the 259th unit to the first half of the pair.
    std::wstring word = std::wstring(254, L'x') + L"\U0001F600";
    std::wstring line = WordLine(1, word.c_str());
    EXPECT_EQ(line, L"1 : " + std::wstring(254, L'x'));
}

TEST(ReportLines, ResetLeavesItsMarkerAndARule)
{
    std::vector<std::wstring> expected = {L"Reset All pressed.", L"", kRule, L""};
    EXPECT_EQ(ResetLines(), expected);
}
