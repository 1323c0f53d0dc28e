// The figures of a stretch of a log (one segment, or the whole file).
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "log_content.h"
#include "score_histogram.h"
#include "spread.h"

struct LogFigures
{
    size_t utterances = 0;
    size_t dropped = 0;
    int64_t words = 0;
    double wordsPerUtterance = 0;
    Spread realTimeFactor;
    ScoreHistogram scores;
    // Of the words; not a number without words.
    double shareUnder50 = std::numeric_limits<double>::quiet_NaN();
    int32_t fewestWords = 0;
    int32_t mostWords = 0;
    double alternatesPerUtterance = 0;
};

// scratch: room for the real-time factors, kept by a caller that asks for segment after segment.
LogFigures FiguresOf(const LogContent& content, const Segment& segment,
                     std::vector<double>& scratch);
LogFigures FiguresOf(const LogContent& content);
