// Order statistics of a list of values: minimum, median, 90th and 99th percentile, maximum and
// mean, over the finite values; the others are counted apart.
#pragma once

#include <cstddef>
#include <vector>

struct Spread
{
    size_t count = 0;     // finite values
    size_t nonFinite = 0; // infinities and not-a-numbers (an utterance of no duration)
    double minimum = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double maximum = 0;
    double mean = 0;
};

// The value below which the fraction p of the sorted values lies, interpolated linearly
// between the two nearest ranks; sorted must not be empty.
double Percentile(const std::vector<double>& sorted, double p);

Spread SpreadOf(std::vector<double> values);
// The same over values, which it reorders and cuts to the finite ones.
Spread SpreadOfReordering(std::vector<double>& values);
