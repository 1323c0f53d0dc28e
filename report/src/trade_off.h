// Speed against accuracy: the point of comparing slider positions or machines. Each point is
// a median real-time factor beside a word error rate; the points of one series are joined in
// the order given.
#pragma once

#include <string>
#include <vector>

#include "log_report.h"

struct TradeOffPoint
{
    std::string label;
    size_t segment = 0; // 0 for a whole log
    double medianRtf = 0;
    double wordErrorRate = 0; // a share; not a number without reference words
};

struct TradeOffSeries
{
    std::string name;
    std::vector<TradeOffPoint> points;
};

// With every segment measured on its own (--reference-each-segment), one series per log with a
// point per segment that has utterances; otherwise one series of a point per log. Nothing
// without accuracy, or with fewer than two points in all.
std::vector<TradeOffSeries> TradeOffOf(const std::vector<LogReport>& reports);
