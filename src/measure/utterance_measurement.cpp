#include "measure/utterance_measurement.h"

#include "measure/utterance_math.h"

namespace {

std::optional<std::wstring> TextOrNone(const wchar_t* text)
{
    if (text == nullptr)
        return std::nullopt;
    return std::wstring(text);
}

} // namespace

void SetTiming(UtteranceMeasurement& measurement, int32_t startHigh, int32_t startLow,
               int32_t endHigh, int32_t endLow, uint32_t tick, uint32_t startTick)
{
    measurement.Duration =
        DurationMs(StampFromHalves(startHigh, startLow), StampFromHalves(endHigh, endLow));
    measurement.Processing = ProcessingMs(tick, startTick);
    measurement.RealTimeFactor = RealTimeFactor(measurement.Processing, measurement.Duration);
}

void FoldWord(UtteranceMeasurement& measurement, int32_t score, const wchar_t* text)
{
    measurement.ScoreSum = WrappingAdd(measurement.ScoreSum, score);
    if (score < measurement.MinScore) {
        measurement.MinScore = score;
        measurement.MinWord = TextOrNone(text);
    }
    if (score > measurement.MaxScore) {
        measurement.MaxScore = score;
        measurement.MaxWord = TextOrNone(text);
    }
}

void UpdateSessionExtremes(SessionStatistics& statistics, const UtteranceMeasurement& measurement)
{
    if (measurement.MinScore < statistics.MinScore)
        statistics.MinScore = measurement.MinScore;
    if (measurement.MaxScore > statistics.MaxScore)
        statistics.MaxScore = measurement.MaxScore;
}

void FinishAverage(UtteranceMeasurement& measurement)
{
    measurement.AverageScore = TruncatedAverage(measurement.ScoreSum, measurement.WordCount);
}
