#include "csv_report.h"

#include <string_view>

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

std::string CsvText(const std::string& text)
{
    // An apostrophe first marks the cell as text; one that was already there gets another, so
    // that taking one off always gives the value back.
    if (!text.empty() && std::string_view("=+-@'").find(text[0]) != std::string_view::npos)
        return "'" + text;
    return text;
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
        Joined(Row("Log", "Segment", Row("From line", FigureHeader())), HistogramHeader());
    bool accuracy = !reports.empty() && reports.front().accuracy.has_value();
    if (accuracy)
        header = Joined(Joined(header, AccuracyHeader()), TrustHeader());
    std::string csv = CsvLine(header);
    for (const LogReport& report : reports) {
        std::string label = CsvText(report.label);
        std::vector<std::string> row = Joined(Row(label, "all", Row("", FigureCells(report.whole))),
                                              HistogramCells(report.whole.scores));
        if (accuracy)
            row = Joined(Joined(row, AccuracyCells(*report.accuracy)),
                         TrustCells(report.accuracy->trust));
        csv += CsvLine(row);
        for (const SegmentReport& segment : report.Segments()) {
            LogFigures figures = SegmentFigures(report, segment);
            std::vector<std::string> part =
                Joined(Row(label, std::to_string(segment.number),
                           Row(std::to_string(segment.firstLine), FigureCells(figures))),
                       HistogramCells(figures.scores));
            // The word error rate of a segment where the alignment tells segments apart; the
            // trust columns are the log's alone.
            const LogAccuracy* measured = accuracy ? &*report.accuracy : nullptr;
            if (measured && segment.number <= measured->segments.size())
                part = Joined(part, AccuracyCells(measured->segments[segment.number - 1],
                                                  AlignmentName(*measured)));
            part.resize(header.size());
            csv += CsvLine(part);
        }
    }
    return csv;
}
