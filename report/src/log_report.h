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
};

// A segment's figures, made when asked rather than held: a log of many segments holds little
// more than the segments themselves.
LogFigures SegmentFigures(const LogReport& report, const SegmentReport& segment);
// The same, with room for its working list that the caller keeps from one segment to the next.
LogFigures SegmentFigures(const LogReport& report, const SegmentReport& segment,
                          std::vector<double>& scratch);

// False when the log cannot be read or does not fit (message says where and why).
bool BuildLogReport(const std::string& path, const std::string& label,
                    const ReferenceText* reference, bool eachSegment, bool keepPairs,
                    LogReport& report, std::string& message);
