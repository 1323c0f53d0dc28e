// The lines of an utterance's report, as the results list and the session log get them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "measure/utterance_measurement.h"

// Room of a report line, terminator included; a longer line is cut to fit.
constexpr size_t kReportLineCapacity = 260;

// Utterance number with the real-time factor and the phrase count, the word count, and an
// empty line: written before the words, so they stand even if a word can't be fetched.
std::vector<std::wstring> OpeningLines(int32_t utteranceNumber,
                                       const UtteranceMeasurement& measurement);

// "<score> : <text>", a null text as "(null)".
std::wstring WordLine(int32_t score, const wchar_t* text);

// An empty line, the maximum, minimum and average lines, a rule of hyphens and an empty line.
std::vector<std::wstring> ClosingLines(const UtteranceMeasurement& measurement);

// What "Reset All" leaves in the log.
std::vector<std::wstring> ResetLines();
