// Spreads, score bins, figures over segments and the trust in confidence scores.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "confidence_trust.h"
#include "log_figures.h"

TEST(Spread, PercentilesInterpolateBetweenRanksAndNonFiniteValuesAreCountedApart)
{
    const double inf = std::numeric_limits<double>::infinity();
    Spread spread = SpreadOf({5, 1, 4, 2, 3, inf, std::nan("")});
    EXPECT_EQ(spread.count, 5u);
    EXPECT_EQ(spread.nonFinite, 2u);
    EXPECT_DOUBLE_EQ(spread.minimum, 1);
    EXPECT_DOUBLE_EQ(spread.median, 3);
    EXPECT_DOUBLE_EQ(spread.p90, 4.6);
    EXPECT_DOUBLE_EQ(spread.p99, 4.96);
    EXPECT_DOUBLE_EQ(spread.maximum, 5);
    EXPECT_DOUBLE_EQ(spread.mean, 3);
    EXPECT_EQ(SpreadOf({}).count, 0u);
    EXPECT_DOUBLE_EQ(SpreadOf({-2}).p99, -2);
    EXPECT_DOUBLE_EQ(SpreadOf({1, 2}).median, 1.5);
}

TEST(ScoreBins, TensWithHundredInTheLastAndOutsidersApart)
{
    struct Case
    {
        int32_t score;
        int bin;
    } cases[] = {{-1, -1},
                 {0, 0},
                 {9, 0},
                 {10, 1},
                 {49, 4},
                 {50, 5},
                 {99, 9},
                 {100, 9},
                 {101, 10},
                 {std::numeric_limits<int32_t>::min(), -1},
                 {std::numeric_limits<int32_t>::max(), 10}};
    for (const Case& c : cases)
        EXPECT_EQ(ScoreBin(c.score), c.bin) << c.score;
    ScoreHistogram histogram;
    for (int32_t score : {-5, 0, 49, 50, 100, 150})
        histogram.Add(score);
    EXPECT_EQ(histogram.below, 1);
    EXPECT_EQ(histogram.above, 1);
    EXPECT_EQ(histogram.under50, 3);
    EXPECT_EQ(histogram.Total(), 6);

    // A segment's counts stop at their greatest rather than wrap to a small count.
    SegmentScores segment;
    segment.bins[9] = std::numeric_limits<uint32_t>::max() - 1;
    SegmentScores more;
    more.bins[9] = 5;
    segment += more;
    segment.Add(100);
    EXPECT_EQ(segment.bins[9], std::numeric_limits<uint32_t>::max());
    histogram += segment;
    EXPECT_EQ(histogram.bins[9], int64_t{std::numeric_limits<uint32_t>::max()} + 1);
}

TEST(SegmentList, HoldsSegmentsOfAnySizeAcrossItsChunksAndMarks)
{
    // Enough segments to fill several chunks, some counts near their types' greatest.
    std::vector<Segment> made;
    size_t line = 4, utterance = 0;
    for (size_t i = 0; i < 30000; ++i) {
        Segment segment;
        segment.firstLine = line;
        segment.firstUtterance = utterance;
        segment.utteranceCount = i % 7 == 0 ? 0 : i % 3;
        segment.dropped = i % 7 == 0 ? 1 + i % 2 : 0;
        segment.scores.bins[i % kScoreBins] = static_cast<uint32_t>(i * 2654435761u);
        segment.scores.above = i % 5 == 0 ? std::numeric_limits<uint32_t>::max() : 0;
        segment.scores.under50 = static_cast<uint32_t>(i);
        line += i % 11 == 0 ? (size_t{1} << 31) : 14;
        utterance += segment.utteranceCount;
        made.push_back(segment);
    }
    SegmentList list;
    for (const Segment& segment : made)
        list.push_back(segment);
    auto same = [](const Segment& a, const Segment& b) {
        return a.firstLine == b.firstLine && a.firstUtterance == b.firstUtterance &&
               a.utteranceCount == b.utteranceCount && a.dropped == b.dropped &&
               a.scores.bins == b.scores.bins && a.scores.below == b.scores.below &&
               a.scores.above == b.scores.above && a.scores.under50 == b.scores.under50;
    };
    ASSERT_EQ(list.size(), made.size());
    size_t i = 0;
    for (const Segment& segment : list)
        EXPECT_TRUE(same(segment, made[i++])) << i;
    for (size_t at : {size_t{0}, size_t{63}, size_t{64}, size_t{12345}, made.size() - 1})
        EXPECT_TRUE(same(list[at], made[at])) << at;
}

TEST(LogFigures, WholeFileOverItsSegments)
{
    LogContent content;
    content.utterances = {{0.5, 1, 3, 2, 60},
                          {1.5, 2, 5, 4, 70},
                          {std::numeric_limits<double>::infinity(), 1, 1, 1, 50}};
    Segment first;
    first.utteranceCount = 2;
    first.scores.Add(40);
    first.scores.Add(80);
    Segment second;
    second.firstUtterance = 2;
    second.utteranceCount = 1;
    second.scores.Add(55);
    second.dropped = 1;
    content.segments = {first, second};
    for (int32_t score : {40, 80, 55})
        content.scores.Add(score);
    LogFigures figures = FiguresOf(content);
    EXPECT_EQ(figures.utterances, 3u);
    EXPECT_EQ(figures.dropped, 1u);
    EXPECT_EQ(figures.words, 9);
    EXPECT_DOUBLE_EQ(figures.wordsPerUtterance, 3);
    EXPECT_EQ(figures.fewestWords, 1);
    EXPECT_EQ(figures.mostWords, 5);
    EXPECT_DOUBLE_EQ(figures.alternatesPerUtterance, 7.0 / 3);
    EXPECT_EQ(figures.realTimeFactor.count, 2u);
    EXPECT_EQ(figures.realTimeFactor.nonFinite, 1u);
    EXPECT_DOUBLE_EQ(figures.realTimeFactor.median, 1.0);
    EXPECT_DOUBLE_EQ(figures.shareUnder50, 1.0 / 3);
    std::vector<double> scratch;
    EXPECT_EQ(FiguresOf(content, second, scratch).utterances, 1u);
    EXPECT_EQ(FiguresOf(content, second, scratch).mostWords, 1);
    EXPECT_EQ(FiguresOf(LogContent{}).utterances, 0u);
}

TEST(ConfidenceTrust, ErrorRatePerBinAndTheBestSeparatingThreshold)
{
    // Wrong words score 10 to 30, right ones 25 to 95: flagging under 31 catches every wrong
    // word and one right word of five.
    std::vector<ScoredOutcome> outcomes{{10, false}, {20, false}, {30, false}, {25, true},
                                        {60, true},  {70, true},  {90, true},  {95, true}};
    ConfidenceTrust trust = TrustOf(outcomes);
    EXPECT_EQ(trust.wrongWords, 3);
    EXPECT_EQ(trust.rightWords, 5);
    EXPECT_DOUBLE_EQ(trust.ErrorRate(1), 1.0);
    EXPECT_DOUBLE_EQ(trust.ErrorRate(2), 0.5);
    EXPECT_DOUBLE_EQ(trust.ErrorRate(9), 0.0);
    EXPECT_TRUE(std::isnan(trust.ErrorRate(4)));
    EXPECT_EQ(trust.bestThreshold, 31);
    EXPECT_DOUBLE_EQ(trust.thresholds[31].wrongFlagged, 1.0);
    EXPECT_DOUBLE_EQ(trust.thresholds[31].rightFlagged, 0.2);
    EXPECT_DOUBLE_EQ(trust.thresholds[0].wrongFlagged, 0.0);
    EXPECT_DOUBLE_EQ(trust.thresholds[101].rightFlagged, 1.0);

    // All right: nothing to separate, and no share of wrong words to give. Scores outside 0 to
    // 100 are counted apart, as the histogram counts them.
    ConfidenceTrust allRight = TrustOf({{50, true}, {-20, true}, {400, false}});
    EXPECT_EQ(allRight.right[0], 0);
    EXPECT_EQ(allRight.wrong[9], 0);
    EXPECT_DOUBLE_EQ(allRight.ErrorRate(-1), 0.0);
    EXPECT_DOUBLE_EQ(allRight.ErrorRate(kScoreBins), 1.0);
    EXPECT_EQ(allRight.thresholds.size(), 102u);
    ConfidenceTrust noneWrong = TrustOf({{50, true}});
    EXPECT_EQ(noneWrong.bestThreshold, 0);
    EXPECT_TRUE(std::isnan(noneWrong.thresholds[60].wrongFlagged));
}
