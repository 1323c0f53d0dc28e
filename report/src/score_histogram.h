// Confidence scores counted in bins of 10: 0-9, 10-19, ..., 90-100, with the scores outside
// 0 to 100 counted apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

constexpr int kScoreBins = 10;

// The bin of a score: -1 below 0, kScoreBins above 100, else 0 to 9 (100 in the last bin).
int ScoreBin(int32_t score);

// Counts stop at their type's greatest value rather than wrap.
template <class Count> struct BasicScoreHistogram
{
    std::array<Count, kScoreBins> bins{};
    Count below = 0; // scores under 0
    Count above = 0; // scores over 100
    Count under50 = 0;

    void Add(int32_t score)
    {
        int bin = ScoreBin(score);
        if (bin < 0)
            Bump(below, 1);
        else if (bin >= kScoreBins)
            Bump(above, 1);
        else
            Bump(bins[static_cast<size_t>(bin)], 1);
        if (score < 50)
            Bump(under50, 1);
    }

    int64_t Total() const
    {
        int64_t total = static_cast<int64_t>(below) + static_cast<int64_t>(above);
        for (Count count : bins)
            total += static_cast<int64_t>(count);
        return total;
    }

    template <class Other> BasicScoreHistogram& operator+=(const BasicScoreHistogram<Other>& other)
    {
        for (size_t i = 0; i < bins.size(); ++i)
            Bump(bins[i], other.bins[i]);
        Bump(below, other.below);
        Bump(above, other.above);
        Bump(under50, other.under50);
        return *this;
    }

private:
    template <class Other> static void Bump(Count& count, Other more)
    {
        uint64_t room = static_cast<uint64_t>(std::numeric_limits<Count>::max() - count);
        count = static_cast<uint64_t>(more) > room ? std::numeric_limits<Count>::max()
                                                   : count + static_cast<Count>(more);
    }
};

// A log's.
using ScoreHistogram = BasicScoreHistogram<int64_t>;
// A segment's, in half the room: a log of a segment per utterance holds one per utterance. A
// count would stop at 4,294,967,295 words, in a log of over 20 GB between two Reset All.
using SegmentScores = BasicScoreHistogram<uint32_t>;
