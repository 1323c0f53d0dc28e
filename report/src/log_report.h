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

// The segments of a log as reports, made as they are walked rather than held beside them.
class SegmentReports
{
public:
    class Iterator
    {
    public:
        Iterator(const std::deque<Segment>& segments, size_t index)
            : segments_(&segments), index_(index)
        {}
        SegmentReport operator*() const { return {index_ + 1, (*segments_)[index_].firstLine}; }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        const std::deque<Segment>* segments_;
        size_t index_;
    };

    explicit SegmentReports(const std::deque<Segment>& segments) : segments_(segments) {}
    Iterator begin() const { return {segments_, 0}; }
    Iterator end() const { return {segments_, segments_.size()}; }
    size_t size() const { return segments_.size(); }
    SegmentReport operator[](size_t i) const { return *Iterator(segments_, i); }

private:
    const std::deque<Segment>& segments_;
};

struct LogReport
{
    std::string label;
    std::string path;
    LogContent content;
    LogFigures whole;
    std::optional<LogAccuracy> accuracy;

    SegmentReports Segments() const { return SegmentReports(content.segments); }
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
