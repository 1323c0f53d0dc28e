#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "measure/utterance_math.h"

TEST(UtteranceMath, StampJoinsHalvesAsHighTimesTwoToThe32PlusUnsignedLow)
{
    struct Case
    {
        int32_t high, low;
        int64_t stamp;
    } cases[] = {
        {0, 0, 0},
        {0, 1000, 1000},
        {0, -1, 0xFFFFFFFFLL}, // low half above 2^31 reads as unsigned
        {1, 0, 0x100000000LL}, // one step of the high half is 2^32, not 2^31
        {1, INT_MIN, 0x180000000LL},
        {-1, -1, -1},
        {INT_MAX, -1, LLONG_MAX},
        {INT_MIN, 0, LLONG_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampFromHalves(c.high, c.low), c.stamp) << c.high << " " << c.low;
}

TEST(UtteranceMath, DurationIsRightWhenTheUtteranceCrossesABoundaryOfTheLowHalf)
{
    struct Case
    {
        int32_t startHigh, startLow, endHigh, endLow;
        int32_t duration;
    } cases[] = {
        {0, 1000, 0, 3500, 2500},
        {0, -100, 1, 400, 500},                   // low half wraps to 0, high half steps
        {0, INT_MAX - 99, 0, INT_MIN + 400, 500}, // low half passes 2^31
        {7, -1, 8, 0, 1},
        {0, 3500, 0, 1000, -2500}, // end before start
        {5, 42, 5, 42, 0},
        {0, 0, 0, INT_MIN, INT_MIN}, // wraps instead of overflowing
    };
    for (const Case& c : cases) {
        int64_t start = StampFromHalves(c.startHigh, c.startLow);
        int64_t end = StampFromHalves(c.endHigh, c.endLow);
        EXPECT_EQ(DurationMs(start, end), c.duration) << c.startLow << " to " << c.endLow;
    }
    EXPECT_EQ(DurationMs(LLONG_MIN, LLONG_MAX), -1);
    EXPECT_EQ(DurationMs(LLONG_MAX, LLONG_MIN), 1);
}

TEST(UtteranceMath, ProcessingIsTheTickDifferenceModulo2To32)
{
    EXPECT_EQ(ProcessingMs(5000, 1200), 3800u);
    EXPECT_EQ(ProcessingMs(99, 0), 99u);             // no start event yet: the whole tick count
    EXPECT_EQ(ProcessingMs(100, 0xFFFFFF00u), 356u); // the tick counter wrapped
    EXPECT_EQ(ProcessingMs(7, 7), 0u);
}

TEST(UtteranceMath, RealTimeFactorDividesUnsignedProcessingBySignedDuration)
{
    EXPECT_DOUBLE_EQ(RealTimeFactor(1500, 3000), 0.5);
    EXPECT_DOUBLE_EQ(RealTimeFactor(1500, -3000), -0.5);
    EXPECT_DOUBLE_EQ(RealTimeFactor(0xFFFFFFFFu, 1), 4294967295.0);
    EXPECT_DOUBLE_EQ(RealTimeFactor(0x80000000u, INT_MIN), -1.0);
    EXPECT_EQ(RealTimeFactor(0, 500), 0.0);

    double zeroDuration = RealTimeFactor(250, 0);
    EXPECT_TRUE(std::isinf(zeroDuration) && zeroDuration > 0);
    EXPECT_TRUE(std::isnan(RealTimeFactor(0, 0)));
}

TEST(UtteranceMath, RatioGivesTheIeeeResultOfAZeroDenominator)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Ratio(3, 0.0), inf);
    EXPECT_EQ(Ratio(-3, 0.0), -inf);
    EXPECT_EQ(Ratio(3, -0.0), -inf);
    EXPECT_TRUE(std::isnan(Ratio(0, 0.0)));
    EXPECT_TRUE(std::isnan(Ratio(std::nan(""), 0.0)));
    EXPECT_EQ(Ratio(inf, 0.0), inf);
    EXPECT_DOUBLE_EQ(Ratio(7, 2), 3.5);
}

TEST(UtteranceMath, AverageTruncatesTowardZeroAndNeverTraps)
{
    struct Case
    {
        int32_t sum, count, average;
    } cases[] = {
        {29, 5, 5},
        {-7, 2, -3},
        {7, -2, -3},
        {-7, -2, 3},
        {1, 2, 0},
        {-1, 2, 0},
        {80, 1, 80},
        {171, 2, 85},
        {241, 4, 60},
        {123, 0, 0},
        {0, 0, 0},
        {INT_MIN, 0, 0},
        {INT_MIN, -1, INT_MIN},
        {INT_MAX, -1, -INT_MAX},
        {INT_MIN, 1, INT_MIN},
        {INT_MIN, INT_MIN, 1},
        {INT_MAX, INT_MIN, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruncatedAverage(c.sum, c.count), c.average) << c.sum << " / " << c.count;
}

TEST(UtteranceMath, SignedSumsWrapModulo2To32)
{
    EXPECT_EQ(WrappingAdd(2, 3), 5);
    EXPECT_EQ(WrappingAdd(INT_MAX, 1), INT_MIN);
    EXPECT_EQ(WrappingAdd(INT_MIN, -1), INT_MAX);
    EXPECT_EQ(WrappingAdd(INT_MAX, INT_MAX), -2);
    EXPECT_EQ(WrappingAdd(-5, 3), -2);
}
