#include "log_report.h"

LogFigures SegmentFigures(const LogReport& report, const SegmentReport& segment)
{
    std::vector<double> scratch;
    return SegmentFigures(report, segment, scratch);
}

LogFigures SegmentFigures(const LogReport& report, const SegmentReport& segment,
                          std::vector<double>& scratch)
{
    return FiguresOf(report.content, segment, scratch);
}

bool BuildLogReport(const std::string& path, const std::string& label,
                    const ReferenceText* reference, bool eachSegment, bool keepPairs,
                    LogReport& report, std::string& message)
{
    report.label = label;
    report.path = path;
    if (!ReadLog(path, reference != nullptr, report.content, message))
        return false;
    report.whole = FiguresOf(report.content);
    if (reference) {
        report.accuracy = MeasureAccuracy(*reference, report.content, report.whole.utterances,
                                          eachSegment, keepPairs);
        // The words were kept for the alignment alone.
        report.content.words.clear();
        report.content.words.shrink_to_fit();
    }
    return true;
}
