#include "spread.h"

#include <algorithm>
#include <cmath>

double Percentile(const std::vector<double>& sorted, double p)
{
    double rank = p * static_cast<double>(sorted.size() - 1);
    size_t below = static_cast<size_t>(rank); // not negative: its floor
    size_t above = std::min(below + 1, sorted.size() - 1);
    double fraction = rank - static_cast<double>(below);
    return sorted[below] + (sorted[above] - sorted[below]) * fraction;
}

Spread SpreadOf(std::vector<double> values)
{
    return SpreadOfReordering(values);
}

Spread SpreadOfReordering(std::vector<double>& values)
{
    Spread spread;
    // One value, as in a log of a segment per utterance, as the general way takes it: its
    // interpolations and sum add +0, so -0 comes out as 0 but for the minimum and maximum.
    if (values.size() == 1 && std::isfinite(values[0])) {
        spread.count = 1;
        spread.minimum = spread.maximum = values[0];
        spread.median = spread.p90 = spread.p99 = spread.mean = values[0] + 0.0;
        return spread;
    }
    auto finiteEnd = std::partition(values.begin(), values.end(),
                                    [](double value) { return std::isfinite(value); });
    spread.nonFinite = static_cast<size_t>(values.end() - finiteEnd);
    values.erase(finiteEnd, values.end());
    spread.count = values.size();
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    spread.minimum = values.front();
    spread.maximum = values.back();
    spread.median = Percentile(values, 0.5);
    spread.p90 = Percentile(values, 0.9);
    spread.p99 = Percentile(values, 0.99);
    double sum = 0;
    for (double value : values)
        sum += value;
    spread.mean = sum / static_cast<double>(values.size());
    return spread;
}
