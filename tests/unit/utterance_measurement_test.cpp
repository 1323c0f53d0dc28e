#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>
#include <vector>

#include "measure/utterance_measurement.h"

namespace {

struct Word
{
    int32_t score;
    const wchar_t* text;
};

UtteranceMeasurement Fold(const std::vector<Word>& words)
{
    UtteranceMeasurement m;
    m.WordCount = static_cast<int32_t>(words.size());
    for (const Word& w : words)
        FoldWord(m, w.score, w.text);
    FinishAverage(m);
    return m;
}

std::optional<std::wstring> Text(const wchar_t* text)
{
    return std::wstring(text);
}

} // namespace

TEST(UtteranceMeasurement, OfEqualScoresTheFirstWordIsNamed)
{
    UtteranceMeasurement m =
        Fold({{5, L"one"}, {9, L"two"}, {9, L"three"}, {3, L"four"}, {3, L"five"}});
    EXPECT_EQ(m.MaxScore, 9);
    EXPECT_EQ(m.MaxWord, Text(L"two"));
    EXPECT_EQ(m.MinScore, 3);
    EXPECT_EQ(m.MinWord, Text(L"four"));
    EXPECT_EQ(m.ScoreSum, 29);
    EXPECT_EQ(m.AverageScore, 5);
}

TEST(UtteranceMeasurement, ExtremesStartAt999And0AndNeedAStrictlyBetterScore)
{
    struct Case
    {
        const char* what;
        std::vector<Word> words;
        int32_t minScore, maxScore;
        std::optional<std::wstring> minWord, maxWord;
        int32_t average;
    } cases[] = {
        {"no words", {}, 999, 0, std::nullopt, std::nullopt, 0},
        {"one word", {{42, L"only"}}, 42, 42, Text(L"only"), Text(L"only"), 42},
        {"all at or above 999",
         {{999, L"a"}, {1200, L"b"}},
         999,
         1200,
         std::nullopt,
         Text(L"b"),
         1099},
        {"all at or below 0", {{0, L"a"}, {-4, L"b"}}, -4, 0, Text(L"b"), std::nullopt, -2},
        {"a null text is no text", {{50, nullptr}}, 50, 50, std::nullopt, std::nullopt, 50},
        {"an empty text is a text", {{50, L""}}, 50, 50, Text(L""), Text(L""), 50},
        {"negative average truncates",
         {{-3, L"a"}, {-4, L"b"}},
         -4,
         0,
         Text(L"b"),
         std::nullopt,
         -3},
    };
    for (const Case& c : cases) {
        UtteranceMeasurement m = Fold(c.words);
        EXPECT_EQ(m.MinScore, c.minScore) << c.what;
        EXPECT_EQ(m.MaxScore, c.maxScore) << c.what;
        EXPECT_EQ(m.MinWord, c.minWord) << c.what;
        EXPECT_EQ(m.MaxWord, c.maxWord) << c.what;
        EXPECT_EQ(m.AverageScore, c.average) << c.what;
    }
}

TEST(UtteranceMeasurement, ALaterLowerWordReplacesTheKeptText)
{
    UtteranceMeasurement m = Fold({{60, L"first"}, {40, L"second"}, {80, L"third"}});
    EXPECT_EQ(m.MinWord, Text(L"second"));
    EXPECT_EQ(m.MaxWord, Text(L"third"));
}

TEST(UtteranceMeasurement, ScoreSumWrapsAndAverageSurvivesExtremeCounts)
{
    UtteranceMeasurement m;
    FoldWord(m, INT_MAX, L"a");
    FoldWord(m, 1, L"b");
    EXPECT_EQ(m.ScoreSum, INT_MIN);
    m.WordCount = -1; // a count the engine should never give
    FinishAverage(m);
    EXPECT_EQ(m.AverageScore, INT_MIN);
}

TEST(UtteranceMeasurement, TimingComesFromStampsAndTicks)
{
    UtteranceMeasurement m;
    SetTiming(m, 0, -100, 1, 1900, 11000, 10000);
    EXPECT_EQ(m.Duration, 2000);
    EXPECT_EQ(m.Processing, 1000u);
    EXPECT_DOUBLE_EQ(m.RealTimeFactor, 0.5);

    SetTiming(m, 3, 500, 3, 500, 10, 0);
    EXPECT_EQ(m.Duration, 0);
    EXPECT_TRUE(std::isinf(m.RealTimeFactor));
}

TEST(UtteranceMeasurement, SessionExtremesMoveOnlyOutward)
{
    SessionStatistics s;
    UtteranceMeasurement fresh;
    UpdateSessionExtremes(s, fresh);
    EXPECT_EQ(s.MinScore, 999);
    EXPECT_EQ(s.MaxScore, 0);

    UtteranceMeasurement first = Fold({{30, L"a"}, {70, L"b"}});
    UpdateSessionExtremes(s, first);
    EXPECT_EQ(s.MinScore, 30);
    EXPECT_EQ(s.MaxScore, 70);

    UtteranceMeasurement inside = Fold({{40, L"c"}, {60, L"d"}});
    UpdateSessionExtremes(s, inside);
    EXPECT_EQ(s.MinScore, 30);
    EXPECT_EQ(s.MaxScore, 70);

    UtteranceMeasurement wider = Fold({{-5, L"e"}, {2000, L"f"}});
    UpdateSessionExtremes(s, wider);
    EXPECT_EQ(s.MinScore, -5);
    EXPECT_EQ(s.MaxScore, 2000);
}
