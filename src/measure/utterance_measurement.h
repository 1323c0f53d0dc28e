// The values of one result's analysis, and how each word adds to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measure/session_statistics.h"

struct UtteranceMeasurement
{
    int32_t Duration = 0;
    uint32_t Processing = 0;
    double RealTimeFactor = 0.0;
    int32_t AlternateCount = 0;
    int32_t WordCount = 0;
    int32_t ScoreSum = 0;
    int32_t MinScore = 999;
    std::optional<std::wstring> MinWord; // empty until a word scores below MinScore
    int32_t MaxScore = 0;
    std::optional<std::wstring> MaxWord; // empty until a word scores above MaxScore
    int32_t AverageScore = 0;
};

// Duration from the halves of the two stamps, processing from the tick counter, and
// their ratio.
void SetTiming(UtteranceMeasurement& measurement, int32_t startHigh, int32_t startLow,
               int32_t endHigh, int32_t endLow, uint32_t tick, uint32_t startTick);

// Adds one word's score to the sum, and names it the lowest or highest when its score is
// strictly beyond the current one, so that of equal scores the first word keeps the name.
// A null text is kept as no text.
void FoldWord(UtteranceMeasurement& measurement, int32_t score, const wchar_t* text);

// Lowers the session's minimum and raises its maximum to this utterance's extremes.
void UpdateSessionExtremes(SessionStatistics& statistics, const UtteranceMeasurement& measurement);

// ScoreSum ÷ WordCount truncated toward zero; 0 when there are no words.
void FinishAverage(UtteranceMeasurement& measurement);
