// Whether the confidence scores can be trusted: how often the words of each score bin are
// wrong, and how well a threshold on the score would pick out the wrong words.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "score_histogram.h"

struct ScoredOutcome
{
    int32_t score = 0;
    bool right = false;
};

struct ThresholdPoint
{
    int threshold = 0;       // words scoring under it are flagged
    double wrongFlagged = 0; // share of the wrong words flagged; not a number without any
    double rightFlagged = 0; // share of the right words flagged; not a number without any
};

struct ConfidenceTrust
{
    std::array<int64_t, kScoreBins> right{};
    std::array<int64_t, kScoreBins> wrong{};
    // Scores under 0 and over 100, counted apart as the histogram counts them.
    int64_t rightBelow = 0;
    int64_t wrongBelow = 0;
    int64_t rightAbove = 0;
    int64_t wrongAbove = 0;
    int64_t rightWords = 0;
    int64_t wrongWords = 0;
    std::vector<ThresholdPoint> thresholds; // 0 to 101: every score from 0 to 100 flaggable
    // The threshold whose wrong share most exceeds its right share (the first of equals);
    // with no right or no wrong words there is nothing to separate and it stays 0.
    int bestThreshold = 0;
    double bestSeparation = 0;

    // Error rate of a bin (as ScoreBin numbers them: -1 under 0, kScoreBins over 100); not a
    // number for an empty bin.
    double ErrorRate(int bin) const;
};

// Scores outside 0 to 100 have bins of their own, and count as 0 or 100 against a threshold.
ConfidenceTrust TrustOf(const std::vector<ScoredOutcome>& outcomes);
