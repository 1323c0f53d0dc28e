#include "csv_report.h"

#include "plain_report.h"
#include "report_columns.h"

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

std::string CsvLine(const std::vector<std::string>& cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i)
        line += (i > 0 ? "," : "") + CsvField(cells[i]);
    return line + "\r\n";
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

} // namespace

std::string CsvReport(const std::vector<LogReport>& reports)
{
    std::vector<std::string> header =
        Joined(Joined(Row("Log", "Segment", Row("From line", FigureHeader())), HistogramHeader()),
               {"Dropped blocks"});
    bool accuracy = !reports.empty() && reports.front().accuracy.has_value();
    if (accuracy)
        header = Joined(Joined(header, AccuracyHeader()), TrustHeader());
    std::string csv = CsvLine(header);
    size_t blank = accuracy ? AccuracyHeader().size() + TrustHeader().size() : 0;
    for (const LogReport& report : reports) {
        std::vector<std::string> row =
            Joined(Joined(Row(report.label, "all", Row("", FigureCells(report.whole))),
                          HistogramCells(report.whole.scores)),
                   {std::to_string(report.whole.dropped)});
        if (accuracy)
            row = Joined(Joined(row, AccuracyCells(*report.accuracy)),
                         TrustCells(report.accuracy->trust));
        csv += CsvLine(row);
        for (const SegmentReport& segment : report.segments) {
            std::vector<std::string> part = Joined(
                Joined(Row(report.label, std::to_string(segment.number),
                           Row(std::to_string(segment.firstLine), FigureCells(segment.figures))),
                       HistogramCells(segment.figures.scores)),
                {std::to_string(segment.figures.dropped)});
            part.resize(part.size() + blank);
            csv += CsvLine(part);
        }
    }
    return csv;
}
