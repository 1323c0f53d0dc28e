// The arithmetic of one utterance's timing and scores, and of the running totals.
#pragma once

#include <cstdint>

// A result time stamp, from the two signed halves that the engine hands out: high × 2^32 +
// low, the low half taken as unsigned.
int64_t StampFromHalves(int32_t high, int32_t low);

// End minus start as a signed 32-bit number of milliseconds, wrapping.
int32_t DurationMs(int64_t startStamp, int64_t endStamp);

// Milliseconds of the tick counter since the start tick, modulo 2^32.
uint32_t ProcessingMs(uint32_t tick, uint32_t startTick);

// Processing ÷ duration: +infinity for a zero duration, not-a-number when the processing
// is zero as well; negative for a negative duration.
double RealTimeFactor(uint32_t processingMs, int32_t durationMs);

// numerator ÷ denominator with the IEEE result of a zero denominator (±infinity, or
// not-a-number for 0 ÷ 0), produced without dividing by zero.
double Ratio(double numerator, double denominator);

// Integer division truncated toward zero (-7 ÷ 2 = -3). A count of 0 gives 0, and
// INT32_MIN ÷ -1 wraps to INT32_MIN.
int32_t TruncatedAverage(int32_t sum, int32_t count);

// Signed 32-bit sum modulo 2^32.
int32_t WrappingAdd(int32_t a, int32_t b);
