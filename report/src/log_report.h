// Everything reported about one log: read, figured and, with a reference, measured.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log_accuracy.h"
#include "log_content.h"
#include "log_figures.h"
#include "reference_text.h"

struct SegmentReport
{
    size_t number = 0; // 1, 2, ... in file order
    size_t firstLine = 0;
};

struct LogReport
{
    std::string label;
    std::string path;
    LogContent content;
    LogFigures whole;
    std::vector<SegmentReport> segments;
    std::optional<LogAccuracy> accuracy;

    // Every complete utterance in file order.
    std::vector<UtteranceFigures> Utterances() const;
};

// A segment's figures, made when asked rather than held: a log of many segments holds little
// more than the segments themselves.
LogFigures SegmentFigures(const LogReport& report, const SegmentReport& segment);

// False when the log cannot be read or does not fit (message says where and why).
bool BuildLogReport(const std::string& path, const std::string& label,
                    const ReferenceText* reference, bool eachSegment, bool keepPairs,
                    LogReport& report, std::string& message);
