#include "score_histogram.h"

int ScoreBin(int32_t score)
{
    if (score < 0)
        return -1;
    if (score > 100)
        return kScoreBins;
    return score == 100 ? kScoreBins - 1 : score / 10;
}

void ScoreHistogram::Add(int32_t score)
{
    int bin = ScoreBin(score);
    if (bin < 0)
        ++below;
    else if (bin >= kScoreBins)
        ++above;
    else
        ++bins[static_cast<size_t>(bin)];
    if (score < 50)
        ++under50;
}

int64_t ScoreHistogram::Total() const
{
    int64_t total = below + above;
    for (int64_t count : bins)
        total += count;
    return total;
}

ScoreHistogram& ScoreHistogram::operator+=(const ScoreHistogram& other)
{
    for (size_t i = 0; i < bins.size(); ++i)
        bins[i] += other.bins[i];
    below += other.below;
    above += other.above;
    under50 += other.under50;
    return *this;
}
