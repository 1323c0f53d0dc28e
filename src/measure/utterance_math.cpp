#include "measure/utterance_math.h"

#include <cmath>
#include <limits>

// Out-of-range conversions to a signed type below rely on GCC's documented modulo-2^N
// reduction (which C++20 makes the rule); they are implementation-defined, never undefined.

int64_t StampFromHalves(int32_t high, int32_t low)
{
    // Within range for every pair of halves: the extremes are exactly INT64_MIN and
    // INT64_MAX.
    return static_cast<int64_t>(high) * (int64_t{1} << 32) + static_cast<uint32_t>(low);
}

int32_t DurationMs(int64_t startStamp, int64_t endStamp)
{
    uint64_t difference = static_cast<uint64_t>(endStamp) - static_cast<uint64_t>(startStamp);
    return static_cast<int32_t>(static_cast<uint32_t>(difference));
}

uint32_t ProcessingMs(uint32_t tick, uint32_t startTick)
{
    return tick - startTick;
}

double RealTimeFactor(uint32_t processingMs, int32_t durationMs)
{
    return Ratio(static_cast<double>(processingMs), static_cast<double>(durationMs));
}

double Ratio(double numerator, double denominator)
{
    if (denominator != 0.0)
        return numerator / denominator;
    if (numerator == 0.0 || std::isnan(numerator))
        return std::numeric_limits<double>::quiet_NaN();
    bool negative = std::signbit(numerator) != std::signbit(denominator);
    double infinity = std::numeric_limits<double>::infinity();
    return negative ? -infinity : infinity;
}

int32_t TruncatedAverage(int32_t sum, int32_t count)
{
    // No words means no average: show 0 and add nothing to the session's sum.
    if (count == 0)
        return 0;
    if (count == -1)
        return static_cast<int32_t>(0u - static_cast<uint32_t>(sum));
    return sum / count;
}

int32_t WrappingAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
