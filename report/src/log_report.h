// Everything reported about one log: read, figured and, with a reference, measured.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log_accuracy.h"
#include "log_content.h"
#include "log_figures.h"
#include "reference_text.h"

struct SegmentReport : Segment
{
    size_t number = 0; // 1, 2, ... in file order
};

// The segments of a log as reports, made as they are walked rather than held beside them.
class SegmentReports
{
public:
    class Iterator
    {
    public:
        explicit Iterator(SegmentList::Iterator at, size_t index) : at_(at), index_(index) {}
        SegmentReport operator*() const
        {
            SegmentReport report;
            static_cast<Segment&>(report) = *at_;
            report.number = index_ + 1;
            return report;
        }
        Iterator& operator++()
        {
            ++at_;
            ++index_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        SegmentList::Iterator at_;
        size_t index_;
    };

    explicit SegmentReports(const SegmentList& segments) : segments_(segments) {}
    Iterator begin() const { return Iterator(segments_.begin(), 0); }
    Iterator end() const { return Iterator(segments_.end(), segments_.size()); }
    size_t size() const { return segments_.size(); }
    SegmentReport operator[](size_t i) const
    {
        SegmentReport report;
        static_cast<Segment&>(report) = segments_[i];
        report.number = i + 1;
        return report;
    }

private:
    const SegmentList& segments_;
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
