#include "measure/session_statistics.h"

#include <cwchar>

#include "measure/utterance_math.h"
#include "resources/resource.h"

namespace {

// Every value here fits the field: the widest, a words-per-minute figure over one
// millisecond of dictation, has 15 digits.
std::wstring Format(const wchar_t* format, int value)
{
    wchar_t text[kStatisticsTextCapacity];
    std::swprintf(text, kStatisticsTextCapacity, format, value);
    return text;
}

std::wstring Format(const wchar_t* format, double value)
{
    wchar_t text[kStatisticsTextCapacity];
    std::swprintf(text, kStatisticsTextCapacity, format, value);
    return text;
}

} // namespace

void CountUtterance(SessionStatistics& statistics)
{
    statistics.UtteranceCount = WrappingAdd(statistics.UtteranceCount, 1);
}

void AddTiming(SessionStatistics& statistics, int32_t durationMs, uint32_t processingMs)
{
    statistics.TotalDictationMs = WrappingAdd(statistics.TotalDictationMs, durationMs);
    statistics.TotalProcessingMs += processingMs;
}

void AddWords(SessionStatistics& statistics, int32_t wordCount)
{
    statistics.TotalWords = WrappingAdd(statistics.TotalWords, wordCount);
}

void AddAverageScore(SessionStatistics& statistics, int32_t averageScore)
{
    statistics.SumOfAverageScores = WrappingAdd(statistics.SumOfAverageScores, averageScore);
}

std::vector<std::pair<int, std::wstring>> StatisticsTexts(SessionStatistics& statistics)
{
    const SessionStatistics& s = statistics;
    double dictationSeconds = s.TotalDictationMs * 0.001;
    double processingSeconds = s.TotalProcessingMs * 0.001;
    statistics.WordsPerMinute = Ratio(s.TotalWords, dictationSeconds) * 60;
    statistics.WordsPerUtterance = Ratio(s.TotalWords, s.UtteranceCount);

    return {
        {IDC_UTTERANCES, Format(L"%i", s.UtteranceCount)},
        {IDC_WORDS, Format(L"%i", s.TotalWords)},
        {IDC_WPM, Format(L"%0.0f", s.WordsPerMinute)},
        {IDC_WPU, Format(L"%0.1f", s.WordsPerUtterance)},
        {IDC_TOTAL_DICTATION, Format(L"%0.2f", dictationSeconds)},
        {IDC_TOTAL_PROCESSING, Format(L"%0.2f", processingSeconds)},
        {IDC_AVERAGE_RTF, Format(L"%0.3f", Ratio(s.TotalProcessingMs, s.TotalDictationMs))},
        {IDC_TOTAL_AVERAGE_SCORE,
         Format(L"%i", TruncatedAverage(s.SumOfAverageScores, s.UtteranceCount))},
        {IDC_TOTAL_MINIMUM_SCORE, Format(L"%i", s.MinScore)},
        {IDC_TOTAL_MAXIMUM_SCORE, Format(L"%i", s.MaxScore)},
    };
}
