// The running totals since start or the last "Reset All", and their ten display texts.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SessionStatistics
{
    int32_t UtteranceCount = 0;
    int32_t TotalWords = 0;
    int32_t TotalDictationMs = 0;
    uint32_t TotalProcessingMs = 0;
    int32_t SumOfAverageScores = 0;
    int32_t MaxScore = 0;
    int32_t MinScore = 999;
    double WordsPerMinute = 0.0;
    double WordsPerUtterance = 0.0;

    void Reset() { *this = SessionStatistics(); }
    // Recomputes the derived figures and writes all ten fields of the dialog.
    void Show(HWND dialog);
};

// Room of each statistics text, terminator included.
constexpr size_t kStatisticsTextCapacity = 64;

// The additions of one result, each at the point of the analysis where it happens, so that
// an analysis that stops part-way has added exactly what came before. All wrap modulo 2^32.
void CountUtterance(SessionStatistics& statistics);
void AddTiming(SessionStatistics& statistics, int32_t durationMs, uint32_t processingMs);
void AddWords(SessionStatistics& statistics, int32_t wordCount);
void AddAverageScore(SessionStatistics& statistics, int32_t averageScore);

// Recomputes WordsPerMinute and WordsPerUtterance, then gives the ten fields' texts in the
// order they are written, each with its control id.
std::vector<std::pair<int, std::wstring>> StatisticsTexts(SessionStatistics& statistics);
