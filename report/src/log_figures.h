// The figures of a stretch of a log (one segment, or the whole file).
#pragma once

#include <cstdint>
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
    double shareUnder50 = 0; // of the words; 0 without words
    int32_t fewestWords = 0;
    int32_t mostWords = 0;
    double alternatesPerUtterance = 0;
};

LogFigures FiguresOf(const std::vector<const Segment*>& segments);
LogFigures FiguresOf(const Segment& segment);
LogFigures FiguresOf(const LogContent& content);
