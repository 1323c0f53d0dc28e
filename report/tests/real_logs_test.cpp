// Logs that the real program wrote and saved in the end-to-end run (report_log_test.cpp in
// tests/report): read as they are, with what that session did known here.
#include <gtest/gtest.h>

#include <cmath>

#include "log_report.h"
#include "test_files.h"

namespace {

LogReport Report(const std::string& name, const ReferenceText* reference = nullptr)
{
    std::filesystem::path folder = testfiles::RealLogs();
    EXPECT_FALSE(folder.empty()) << "TARVELL_REPORT_LOGS names no folder";
    LogReport report;
    std::string message;
    EXPECT_TRUE(
        BuildLogReport((folder / name).string(), name, reference, false, true, report, message))
        << message;
    return report;
}

std::vector<int32_t> Alternates(const LogReport& report, const Segment& segment)
{
    std::vector<int32_t> alternates;
    for (const UtteranceFigures& utterance : report.content.UtterancesOf(segment))
        alternates.push_back(utterance.alternates);
    return alternates;
}

} // namespace

TEST(RealLogs, AVariedSessionWithAFailedAnalysisAndAReset)
{
    LogReport report = Report("varied.txt");
    ASSERT_EQ(report.content.segments.size(), 2u);
    const Segment& first = report.content.segments[0];
    const Segment& second = report.content.segments[1];
    UtteranceRun firstUtterances = report.content.UtterancesOf(first);
    UtteranceRun secondUtterances = report.content.UtterancesOf(second);
    EXPECT_EQ(firstUtterances.size(), 4u);
    EXPECT_EQ(first.dropped, 1u);
    EXPECT_EQ(secondUtterances.size(), 4u);
    EXPECT_EQ(SegmentFigures(report, report.Segments()[0]).words, 12);
    EXPECT_EQ(SegmentFigures(report, report.Segments()[1]).words, 5);
    EXPECT_EQ(report.whole.words, 17);
    EXPECT_EQ(firstUtterances[2].number, 4); // number 3 failed half-way
    EXPECT_EQ(Alternates(report, first), (std::vector<int32_t>{3, 3, 3, 1}));
    EXPECT_EQ(Alternates(report, second), (std::vector<int32_t>{3, 3, 3, 2}));
    EXPECT_TRUE(std::isinf(firstUtterances[3].realTimeFactor));
    EXPECT_EQ(report.whole.realTimeFactor.count, 7u);
    EXPECT_EQ(report.whole.realTimeFactor.nonFinite, 1u);
    EXPECT_GT(report.whole.realTimeFactor.minimum, 0);
    EXPECT_EQ(secondUtterances[2].words, 0);
    EXPECT_EQ(secondUtterances[3].averageScore, 72);
    EXPECT_EQ(report.whole.scores.below, 1);
    EXPECT_EQ(report.whole.scores.above, 1);
    EXPECT_EQ(report.whole.fewestWords, 0);
    EXPECT_EQ(report.whole.mostWords, 5);

    ASSERT_EQ(report.content.warnings.size(), 1u);
    EXPECT_NE(report.content.warnings[0].text.find("utterance 3 stops after 2 of its 3 words"),
              std::string::npos);
    EXPECT_EQ(report.content.warnings[0].line, 31u);
}

TEST(RealLogs, WordsAsTheLogHoldsThem)
{
    ReferenceText reference = ReferenceFromBytes("");
    LogReport report = Report("varied.txt", &reference);
    // The words were aligned (all of them insertions here) and then let go.
    ASSERT_TRUE(report.accuracy);
    EXPECT_EQ(report.accuracy->counts.insertions, 17);
    std::vector<std::string> recognised;
    for (const AlignedPair& pair : report.accuracy->pairs)
        recognised.push_back(pair.hypothesis);
    EXPECT_EQ(recognised[9], "caf\xc3\xa9");
    EXPECT_EQ(recognised[10], "na\xc3\xafve");
    EXPECT_EQ(recognised[14], std::string(254, 'x'));
}

TEST(RealLogs, TheStretchAfterASaveStartsWithoutStartLines)
{
    LogReport report = Report("varied-after-save.txt");
    ASSERT_EQ(report.content.segments.size(), 1u);
    ASSERT_EQ(report.content.segments[0].utteranceCount, 1u);
    EXPECT_EQ(report.content.utterances[0].number, 5);
    EXPECT_EQ(report.whole.words, 2);
    EXPECT_TRUE(report.content.warnings.empty());
}

TEST(RealLogs, AccuracyOfACleanSessionPerUtteranceAndAsOneText)
{
    ReferenceText exact = ReferenceFromBytes("Hello world\nIt's a test.\nOf the report\n");
    LogReport right = Report("clean.txt", &exact);
    ASSERT_TRUE(right.accuracy);
    EXPECT_TRUE(right.accuracy->perUtterance);
    EXPECT_EQ(right.accuracy->counts.matches, 8);
    EXPECT_EQ(right.accuracy->counts.Errors(), 0);

    // "a" (45) and "the" (97) come out wrong: a threshold can catch the first only.
    ReferenceText swapped = ReferenceFromBytes("hello world it's the test of a report extra");
    LogReport wrong = Report("clean.txt", &swapped);
    ASSERT_TRUE(wrong.accuracy);
    EXPECT_FALSE(wrong.accuracy->perUtterance);
    EXPECT_EQ(wrong.accuracy->counts.substitutions, 2);
    EXPECT_EQ(wrong.accuracy->counts.deletions, 1);
    EXPECT_DOUBLE_EQ(wrong.accuracy->counts.WordErrorRate(), 3.0 / 9);
    const ConfidenceTrust& trust = wrong.accuracy->trust;
    EXPECT_EQ(trust.wrongWords, 2);
    EXPECT_EQ(trust.rightWords, 6);
    EXPECT_EQ(trust.bestThreshold, 46); // flags "a" (45) and "of" (33)
    EXPECT_DOUBLE_EQ(trust.thresholds[46].wrongFlagged, 0.5);
    EXPECT_DOUBLE_EQ(trust.thresholds[46].rightFlagged, 1.0 / 6);
}
