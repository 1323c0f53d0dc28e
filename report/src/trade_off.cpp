#include "trade_off.h"

#include <limits>

namespace {

double MedianOf(const LogFigures& figures)
{
    return figures.realTimeFactor.count > 0 ? figures.realTimeFactor.median
                                            : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

std::vector<TradeOffSeries> TradeOffOf(const std::vector<LogReport>& reports)
{
    std::vector<TradeOffSeries> all;
    TradeOffSeries logs{"logs", {}};
    size_t points = 0;
    for (const LogReport& report : reports) {
        if (!report.accuracy)
            return {};
        const LogAccuracy& accuracy = *report.accuracy;
        if (!accuracy.eachSegment) {
            logs.points.push_back(
                {report.label, 0, MedianOf(report.whole), accuracy.counts.WordErrorRate()});
            ++points;
            continue;
        }
        TradeOffSeries own{report.label, {}};
        for (const SegmentReport& segment : report.Segments()) {
            LogFigures figures = SegmentFigures(report, segment);
            if (figures.utterances == 0 || segment.number > accuracy.segments.size())
                continue;
            own.points.push_back({report.label, segment.number, MedianOf(figures),
                                  accuracy.segments[segment.number - 1].counts.WordErrorRate()});
            ++points;
        }
        all.push_back(std::move(own));
    }
    if (!logs.points.empty())
        all.insert(all.begin(), std::move(logs));
    if (points < 2)
        return {};
    return all;
}
