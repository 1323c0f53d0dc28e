#include "confidence_trust.h"

#include <algorithm>
#include <limits>

namespace {

double ShareOf(int64_t part, int64_t whole)
{
    if (whole == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(part) / static_cast<double>(whole);
}

} // namespace

double ConfidenceTrust::ErrorRate(int bin) const
{
    if (bin < 0)
        return ShareOf(wrongBelow, rightBelow + wrongBelow);
    if (bin >= kScoreBins)
        return ShareOf(wrongAbove, rightAbove + wrongAbove);
    size_t at = static_cast<size_t>(bin);
    return ShareOf(wrong[at], right[at] + wrong[at]);
}

ConfidenceTrust TrustOf(const std::vector<ScoredOutcome>& outcomes)
{
    ConfidenceTrust trust;
    std::array<int64_t, 101> rightAt{};
    std::array<int64_t, 101> wrongAt{};
    for (const ScoredOutcome& outcome : outcomes) {
        int32_t score = std::clamp<int32_t>(outcome.score, 0, 100);
        int bin = ScoreBin(outcome.score);
        int64_t& count = bin < 0             ? (outcome.right ? trust.rightBelow : trust.wrongBelow)
                         : bin >= kScoreBins ? (outcome.right ? trust.rightAbove : trust.wrongAbove)
                         : outcome.right     ? trust.right[static_cast<size_t>(bin)]
                                             : trust.wrong[static_cast<size_t>(bin)];
        ++count;
        if (outcome.right) {
            ++trust.rightWords;
            ++rightAt[static_cast<size_t>(score)];
        } else {
            ++trust.wrongWords;
            ++wrongAt[static_cast<size_t>(score)];
        }
    }
    int64_t rightBelow = 0;
    int64_t wrongBelow = 0;
    for (int threshold = 0; threshold <= 101; ++threshold) {
        if (threshold > 0) {
            rightBelow += rightAt[static_cast<size_t>(threshold - 1)];
            wrongBelow += wrongAt[static_cast<size_t>(threshold - 1)];
        }
        ThresholdPoint point;
        point.threshold = threshold;
        point.wrongFlagged = ShareOf(wrongBelow, trust.wrongWords);
        point.rightFlagged = ShareOf(rightBelow, trust.rightWords);
        trust.thresholds.push_back(point);
        double separation = point.wrongFlagged - point.rightFlagged;
        if (trust.wrongWords > 0 && trust.rightWords > 0 && separation > trust.bestSeparation) {
            trust.bestSeparation = separation;
            trust.bestThreshold = threshold;
        }
    }
    return trust;
}
