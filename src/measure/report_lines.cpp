#include "measure/report_lines.h"

#include <cwchar>

namespace {

const wchar_t kRule[] = L"-------------------------------------------------";
const wchar_t kNoText[] = L"(null)";

std::wstring Number(int32_t value)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%i", value);
    return text;
}

// A word's text has no length limit, so a line is composed in full and then cut, never
// formatted into a buffer that it could overrun. A cut never leaves half a surrogate pair.
std::wstring Fitted(std::wstring line)
{
    if (line.size() < kReportLineCapacity)
        return line;
    line.resize(kReportLineCapacity - 1);
    if (line.back() >= 0xD800 && line.back() <= 0xDBFF)
        line.pop_back();
    return line;
}

std::wstring ScoreLine(int32_t score, const std::optional<std::wstring>& word, const wchar_t* label)
{
    return Fitted(Number(score) + L" : " + (word ? *word : kNoText) + label);
}

} // namespace

std::vector<std::wstring> OpeningLines(int32_t utteranceNumber,
                                       const UtteranceMeasurement& measurement)
{
    // Only numbers here, and the widest real-time factor (2^32 - 1 ms over 1 ms) leaves the
    // line far inside the buffer.
    wchar_t header[kReportLineCapacity];
    std::swprintf(header, kReportLineCapacity,
                  L"Utterance #: %i      RTF: %0.3f      %i alternate phrases in result",
                  utteranceNumber, measurement.RealTimeFactor, measurement.AlternateCount);
    return {
        header,
        Number(measurement.WordCount) +
            L" words in utterance, each with individual confidence scores:",
        L"",
    };
}

std::wstring WordLine(int32_t score, const wchar_t* text)
{
    return Fitted(Number(score) + L" : " + (text ? text : kNoText));
}

std::vector<std::wstring> ClosingLines(const UtteranceMeasurement& measurement)
{
    return {
        L"",
        ScoreLine(measurement.MaxScore, measurement.MaxWord, L" <---> Maximum Score"),
        ScoreLine(measurement.MinScore, measurement.MinWord, L" <---> Minimum Score"),
        Number(measurement.AverageScore) + L" : <---> Average Score",
        kRule,
        L"",
    };
}

std::vector<std::wstring> ResetLines()
{
    return {L"Reset All pressed.", L"", kRule, L""};
}
