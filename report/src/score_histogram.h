// Confidence scores counted in bins of 10: 0-9, 10-19, ..., 90-100, with the scores outside
// 0 to 100 counted apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int kScoreBins = 10;

// The bin of a score: -1 below 0, kScoreBins above 100, else 0 to 9 (100 in the last bin).
int ScoreBin(int32_t score);

struct ScoreHistogram
{
    std::array<int64_t, kScoreBins> bins{};
    int64_t below = 0; // scores under 0
    int64_t above = 0; // scores over 100
    int64_t under50 = 0;

    void Add(int32_t score);
    int64_t Total() const;
    ScoreHistogram& operator+=(const ScoreHistogram& other);
};
