#include "word_alignment.h"

#include <algorithm>
#include <limits>

namespace {

using Words = std::vector<uint32_t>;

// Small enough problems are solved with a full table: its cells stay under this count.
constexpr int64_t kTableCells = 1 << 16;

constexpr int32_t kOutside = std::numeric_limits<int32_t>::max() / 2;

// Last row of the edit distances of ref[r0, r1) against every prefix of hyp[h0, h1), or of
// the reversed sequences when Backward is set (distances of suffixes), counting only paths
// that keep to the diagonals j - i from low to high; cells off that band hold kOutside.
// 32-bit costs keep the inner loop tight: no distance here exceeds the word counts.
template <bool Backward>
void LastRow(const Words& ref, int64_t r0, int64_t r1, const Words& hyp, int64_t h0, int64_t h1,
             int64_t low, int64_t high, std::vector<int32_t>& row, std::vector<uint32_t>& across)
{
    int64_t width = h1 - h0;
    across.resize(static_cast<size_t>(width));
    for (int64_t j = 0; j < width; ++j)
        across[static_cast<size_t>(j)] =
            Backward ? hyp[static_cast<size_t>(h1 - 1 - j)] : hyp[static_cast<size_t>(h0 + j)];
    row.resize(static_cast<size_t>(width + 1));
    for (int64_t j = 0; j <= width; ++j)
        row[static_cast<size_t>(j)] = j <= high ? static_cast<int32_t>(j) : kOutside;
    int32_t* cells = row.data();
    const uint32_t* words = across.data();
    int64_t rows = r1 - r0;
    int64_t first = 0;
    for (int64_t i = 1; i <= rows; ++i) {
        uint32_t r =
            Backward ? ref[static_cast<size_t>(r1 - i)] : ref[static_cast<size_t>(r0 + i - 1)];
        first = std::max<int64_t>(0, i + low);
        int64_t last = std::min(width, i + high);
        int64_t j = first;
        int32_t left = kOutside;
        int32_t diagonal = kOutside;
        if (j == 0) {
            diagonal = cells[0];
            left = static_cast<int32_t>(i);
            cells[0] = left;
            j = 1;
        } else {
            diagonal = cells[j - 1];
        }
        for (; j <= last; ++j) {
            int32_t above = cells[j];
            int32_t best = diagonal + (r == words[j - 1] ? 0 : 1);
            best = std::min(best, std::min(above, left) + 1);
            diagonal = above;
            left = best;
            cells[j] = best;
        }
    }
    // Cells left of the last row's band still hold earlier rows' values.
    for (int64_t j = 0; j < first; ++j)
        cells[j] = kOutside;
}

// Working rows, reused by every level of the recursion.
struct Rows
{
    std::vector<int32_t> forward;
    std::vector<int32_t> backward;
    std::vector<uint32_t> across;
};

void AppendTable(const Words& ref, int64_t r0, int64_t r1, const Words& hyp, int64_t h0, int64_t h1,
                 std::vector<EditStep>& steps)
{
    int64_t rows = r1 - r0;
    int64_t cols = h1 - h0;
    std::vector<int64_t> cost(static_cast<size_t>((rows + 1) * (cols + 1)));
    auto at = [&](int64_t i, int64_t j) -> int64_t& {
        return cost[static_cast<size_t>(i * (cols + 1) + j)];
    };
    for (int64_t i = 0; i <= rows; ++i)
        at(i, 0) = i;
    for (int64_t j = 0; j <= cols; ++j)
        at(0, j) = j;
    for (int64_t i = 1; i <= rows; ++i)
        for (int64_t j = 1; j <= cols; ++j) {
            bool same =
                ref[static_cast<size_t>(r0 + i - 1)] == hyp[static_cast<size_t>(h0 + j - 1)];
            at(i, j) =
                std::min({at(i - 1, j - 1) + (same ? 0 : 1), at(i - 1, j) + 1, at(i, j - 1) + 1});
        }
    // Walk back from the end, diagonal first, and reverse the steps found.
    std::vector<EditStep> reversed;
    int64_t i = rows;
    int64_t j = cols;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0) {
            bool same =
                ref[static_cast<size_t>(r0 + i - 1)] == hyp[static_cast<size_t>(h0 + j - 1)];
            if (at(i, j) == at(i - 1, j - 1) + (same ? 0 : 1)) {
                reversed.push_back(
                    {same ? EditKind::Match : EditKind::Substitution, r0 + i - 1, h0 + j - 1});
                --i;
                --j;
                continue;
            }
        }
        if (i > 0 && at(i, j) == at(i - 1, j) + 1) {
            reversed.push_back({EditKind::Deletion, r0 + i - 1, -1});
            --i;
        } else {
            reversed.push_back({EditKind::Insertion, -1, h0 + j - 1});
            --j;
        }
    }
    steps.insert(steps.end(), reversed.rbegin(), reversed.rend());
}

void Solve(const Words& ref, int64_t r0, int64_t r1, const Words& hyp, int64_t h0, int64_t h1,
           std::vector<EditStep>& steps, Rows& rows)
{
    // Equal ends cost nothing and need no search.
    while (r0 < r1 && h0 < h1 && ref[static_cast<size_t>(r0)] == hyp[static_cast<size_t>(h0)]) {
        steps.push_back({EditKind::Match, r0, h0});
        ++r0;
        ++h0;
    }
    int64_t tail = 0;
    while (r1 - tail > r0 && h1 - tail > h0 &&
           ref[static_cast<size_t>(r1 - tail - 1)] == hyp[static_cast<size_t>(h1 - tail - 1)])
        ++tail;
    r1 -= tail;
    h1 -= tail;

    if (r0 == r1) {
        for (int64_t j = h0; j < h1; ++j)
            steps.push_back({EditKind::Insertion, -1, j});
    } else if (h0 == h1) {
        for (int64_t i = r0; i < r1; ++i)
            steps.push_back({EditKind::Deletion, i, -1});
    } else if ((r1 - r0 + 1) * (h1 - h0 + 1) <= kTableCells || r1 - r0 == 1) {
        if (r1 - r0 == 1 && (h1 - h0 + 1) * 2 > kTableCells) {
            // One reference word against many: match it with its first equal, else substitute
            // the first word.
            int64_t pick = h0;
            for (int64_t j = h0; j < h1; ++j)
                if (hyp[static_cast<size_t>(j)] == ref[static_cast<size_t>(r0)]) {
                    pick = j;
                    break;
                }
            for (int64_t j = h0; j < pick; ++j)
                steps.push_back({EditKind::Insertion, -1, j});
            bool same = hyp[static_cast<size_t>(pick)] == ref[static_cast<size_t>(r0)];
            steps.push_back({same ? EditKind::Match : EditKind::Substitution, r0, pick});
            for (int64_t j = pick + 1; j < h1; ++j)
                steps.push_back({EditKind::Insertion, -1, j});
        } else {
            AppendTable(ref, r0, r1, hyp, h0, h1, steps);
        }
    } else {
        int64_t middle = r0 + (r1 - r0) / 2;
        int64_t width = h1 - h0;
        int64_t skew = width - (r1 - r0);
        // A path that strays `slack` diagonals beyond those between its two ends costs more
        // than |skew| + 2 slack; so once the best split costs no more than that, no path
        // outside the band could do better. The band doubles until it holds (Ukkonen).
        int64_t split = 0;
        for (int64_t slack = 16;; slack *= 2) {
            int64_t low = std::min<int64_t>(0, skew) - slack;
            int64_t high = std::max<int64_t>(0, skew) + slack;
            LastRow<false>(ref, r0, middle, hyp, h0, h1, low, high, rows.forward, rows.across);
            LastRow<true>(ref, middle, r1, hyp, h0, h1, low, high, rows.backward, rows.across);
            int64_t best = std::numeric_limits<int64_t>::max();
            for (int64_t j = 0; j <= width; ++j) {
                int64_t total = static_cast<int64_t>(rows.forward[static_cast<size_t>(j)]) +
                                rows.backward[static_cast<size_t>(width - j)];
                if (total < best) {
                    best = total;
                    split = j;
                }
            }
            bool wholeTable = low <= -(r1 - r0) && high >= width;
            if (best <= std::abs(skew) + 2 * slack || wholeTable)
                break;
        }
        Solve(ref, r0, middle, hyp, h0, h0 + split, steps, rows);
        Solve(ref, middle, r1, hyp, h0 + split, h1, steps, rows);
    }
    for (int64_t k = 0; k < tail; ++k)
        steps.push_back({EditKind::Match, r1 + k, h1 + k});
}

} // namespace

double EditCounts::WordErrorRate() const
{
    if (ReferenceWords() == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(Errors()) / static_cast<double>(ReferenceWords());
}

EditCounts& EditCounts::operator+=(const EditCounts& other)
{
    matches += other.matches;
    substitutions += other.substitutions;
    deletions += other.deletions;
    insertions += other.insertions;
    return *this;
}

std::vector<EditStep> AlignWords(const std::vector<uint32_t>& reference,
                                 const std::vector<uint32_t>& hypothesis)
{
    std::vector<EditStep> steps;
    steps.reserve(std::max(reference.size(), hypothesis.size()));
    Rows rows;
    Solve(reference, 0, static_cast<int64_t>(reference.size()), hypothesis, 0,
          static_cast<int64_t>(hypothesis.size()), steps, rows);
    return steps;
}

EditCounts CountEdits(const std::vector<EditStep>& steps)
{
    EditCounts counts;
    for (const EditStep& step : steps) {
        switch (step.kind) {
        case EditKind::Match: ++counts.matches; break;
        case EditKind::Substitution: ++counts.substitutions; break;
        case EditKind::Deletion: ++counts.deletions; break;
        case EditKind::Insertion: ++counts.insertions; break;
        }
    }
    return counts;
}
