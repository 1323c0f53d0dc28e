#include "confidence_trust.h"

#include <algorithm>
#include <limits>

double ConfidenceTrust::ErrorRate(int bin) const
{
    int64_t total = right[static_cast<size_t>(bin)] + wrong[static_cast<size_t>(bin)];
    if (total == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(wrong[static_cast<size_t>(bin)]) / static_cast<double>(total);
}

ConfidenceTrust TrustOf(const std::vector<ScoredOutcome>& outcomes)
{
    ConfidenceTrust trust;
    std::array<int64_t, 101> rightAt{};
    std::array<int64_t, 101> wrongAt{};
    for (const ScoredOutcome& outcome : outcomes) {
        int32_t score = std::clamp<int32_t>(outcome.score, 0, 100);
        size_t bin = static_cast<size_t>(ScoreBin(score));
        if (outcome.right) {
            ++trust.right[bin];
            ++trust.rightWords;
            ++rightAt[static_cast<size_t>(score)];
        } else {
            ++trust.wrong[bin];
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
        if (trust.wrongWords > 0)
            point.wrongFlagged =
                static_cast<double>(wrongBelow) / static_cast<double>(trust.wrongWords);
        if (trust.rightWords > 0)
            point.rightFlagged =
                static_cast<double>(rightBelow) / static_cast<double>(trust.rightWords);
        trust.thresholds.push_back(point);
        double separation = point.wrongFlagged - point.rightFlagged;
        if (trust.wrongWords > 0 && trust.rightWords > 0 && separation > trust.bestSeparation) {
            trust.bestSeparation = separation;
            trust.bestThreshold = threshold;
        }
    }
    return trust;
}
