// The word alignment: known answers, every alignment a valid walk through both sequences, and
// its distance equal to the plain table's on random sequences large enough for the divide and
// conquer and its band.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "word_alignment.h"

namespace {

using Words = std::vector<uint32_t>;

// The edit distance by the whole table, for comparison.
int64_t TableDistance(const Words& ref, const Words& hyp)
{
    std::vector<int64_t> row(hyp.size() + 1);
    for (size_t j = 0; j <= hyp.size(); ++j)
        row[j] = static_cast<int64_t>(j);
    for (size_t i = 1; i <= ref.size(); ++i) {
        int64_t diagonal = row[0];
        row[0] = static_cast<int64_t>(i);
        for (size_t j = 1; j <= hyp.size(); ++j) {
            int64_t best = std::min(
                {diagonal + (ref[i - 1] == hyp[j - 1] ? 0 : 1), row[j] + 1, row[j - 1] + 1});
            diagonal = row[j];
            row[j] = best;
        }
    }
    return row[hyp.size()];
}

// Every word of each sequence appears once, in order, and matches pair equal words.
void ExpectValidWalk(const Words& ref, const Words& hyp, const std::vector<EditStep>& steps)
{
    int64_t r = 0, h = 0;
    for (const EditStep& step : steps) {
        ASSERT_EQ(step.reference, step.kind == EditKind::Insertion ? -1 : r++);
        ASSERT_EQ(step.hypothesis, step.kind == EditKind::Deletion ? -1 : h++);
        if (step.kind == EditKind::Match || step.kind == EditKind::Substitution) {
            bool same = ref[static_cast<size_t>(step.reference)] ==
                        hyp[static_cast<size_t>(step.hypothesis)];
            ASSERT_EQ(same, step.kind == EditKind::Match);
        }
    }
    EXPECT_EQ(r, static_cast<int64_t>(ref.size()));
    EXPECT_EQ(h, static_cast<int64_t>(hyp.size()));
}

Words Random(std::mt19937& random, size_t size, uint32_t alphabet)
{
    Words words(size);
    for (uint32_t& word : words)
        word = random() % alphabet;
    return words;
}

} // namespace

TEST(Alignment, KnownAnswers)
{
    struct Case
    {
        const char* name;
        Words ref;
        Words hyp;
        int64_t matches, substitutions, deletions, insertions;
    } cases[] = {
        {"both empty", {}, {}, 0, 0, 0, 0},
        {"empty hypothesis", {1, 2, 3}, {}, 0, 0, 3, 0},
        {"empty reference: all insertions", {}, {4, 5}, 0, 0, 0, 2},
        {"identical", {1, 2, 3}, {1, 2, 3}, 3, 0, 0, 0},
        {"one substitution", {1, 2, 3}, {1, 9, 3}, 2, 1, 0, 0},
        {"insertions around", {2}, {1, 2, 3}, 1, 0, 0, 2},
        {"repeated words, one missing", {7, 7, 7, 7}, {7, 7, 7}, 3, 0, 1, 0},
        {"repeated words, one extra", {5, 6, 5, 6}, {5, 6, 5, 6, 5}, 4, 0, 0, 1},
        {"shifted by one", {1, 2, 3, 4}, {2, 3, 4, 5}, 3, 0, 1, 1},
        {"nothing alike", {1, 2}, {3, 4, 5}, 0, 2, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<EditStep> steps = AlignWords(c.ref, c.hyp);
        ExpectValidWalk(c.ref, c.hyp, steps);
        EditCounts counts = CountEdits(steps);
        EXPECT_EQ(counts.matches, c.matches);
        EXPECT_EQ(counts.substitutions, c.substitutions);
        EXPECT_EQ(counts.deletions, c.deletions);
        EXPECT_EQ(counts.insertions, c.insertions);
    }
}

TEST(Alignment, WordErrorRateCountsAgainstTheReference)
{
    EditCounts counts;
    counts.matches = 8;
    counts.substitutions = 1;
    counts.deletions = 1;
    counts.insertions = 2;
    EXPECT_EQ(counts.ReferenceWords(), 10);
    EXPECT_DOUBLE_EQ(counts.WordErrorRate(), 0.4);
    EXPECT_TRUE(std::isnan(EditCounts{}.WordErrorRate()));
    EditCounts onlyInserted;
    onlyInserted.insertions = 3;
    EXPECT_TRUE(std::isnan(onlyInserted.WordErrorRate()));
}

TEST(Alignment, MinimalOnRandomSequencesOfManySizes)
{
    std::mt19937 random(20261209);
    struct Shape
    {
        size_t ref, hyp;
        uint32_t alphabet;
    } shapes[] = {{5, 7, 2},    {40, 35, 3}, {300, 290, 4}, {300, 320, 50},  {600, 10, 5},
                  {10, 600, 5}, {1, 800, 3}, {800, 1, 3},   {1000, 1000, 2}, {700, 650, 1000}};
    for (const Shape& shape : shapes)
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(std::to_string(shape.ref) + "x" + std::to_string(shape.hyp));
            Words ref = Random(random, shape.ref, shape.alphabet);
            Words hyp = Random(random, shape.hyp, shape.alphabet);
            std::vector<EditStep> steps = AlignWords(ref, hyp);
            ExpectValidWalk(ref, hyp, steps);
            EXPECT_EQ(CountEdits(steps).Errors(), TableDistance(ref, hyp));
        }
}

TEST(Alignment, MinimalWhenTheRecognitionIsCloseButShifted)
{
    // Long runs alike, with edits that push the path off the main diagonal: the band must
    // widen until it holds the best path.
    std::mt19937 random(7);
    Words ref = Random(random, 3000, 400);
    Words hyp = ref;
    hyp.erase(hyp.begin() + 100, hyp.begin() + 160);
    hyp.insert(hyp.begin() + 2000, 90, 401);
    for (size_t i = 0; i < hyp.size(); i += 37)
        hyp[i] = 402;
    std::vector<EditStep> steps = AlignWords(ref, hyp);
    ExpectValidWalk(ref, hyp, steps);
    EXPECT_EQ(CountEdits(steps).Errors(), TableDistance(ref, hyp));
}
