#include "plain_report.h"

#include <algorithm>
#include <cstring>

#include "number_text.h"
#include "report_columns.h"
#include "text_encoding.h"
#include "text_table.h"
#include "trade_off.h"

std::vector<std::string> Row(std::string first, std::vector<std::string> rest)
{
    rest.insert(rest.begin(), std::move(first));
    return rest;
}

std::vector<std::string> Row(std::string first, std::string second, std::vector<std::string> rest)
{
    return Row(std::move(first), Row(std::move(second), std::move(rest)));
}

namespace {

bool AnySplit(const std::vector<LogReport>& reports)
{
    for (const LogReport& report : reports)
        if (report.Segments().size() > 1)
            return true;
    return false;
}

std::string Notes(const std::vector<LogReport>& reports)
{
    std::string notes;
    for (const LogReport& report : reports) {
        const LogFigures& whole = report.whole;
        if (whole.realTimeFactor.nonFinite > 0)
            notes += report.label + ": " + std::to_string(whole.realTimeFactor.nonFinite) +
                     " utterance(s) without a finite real-time factor (no duration) are left out "
                     "of the RTF figures\n";
        if (whole.dropped > 0)
            notes += report.label + ": " + std::to_string(whole.dropped) +
                     " unfinished utterance block(s) left out\n";
    }
    return notes;
}

bool SameCell(const FigureCell& a, const FigureCell& b)
{
    // Bit for bit: -0 is written apart from 0.
    return a.form == b.form && a.count == b.count &&
           std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

void WriteDetails(const LogReport& report, const TextSink& out)
{
    out("\nUtterances of " + report.label + "\n");
    TextTable table({"Segment", "Utterance", "RTF", "Words", "Alternates", "Average score"});
    for (const SegmentReport& segment : report.Segments())
        for (const UtteranceFigures& utterance : report.content.UtterancesOf(segment))
            table.Add({std::to_string(segment.number), std::to_string(utterance.number),
                       Fixed(utterance.realTimeFactor, 3), std::to_string(utterance.words),
                       std::to_string(utterance.alternates),
                       std::to_string(utterance.averageScore)});
    table.Write(out);
    if (!report.accuracy)
        return;
    out("\nAligned words of " + report.label + " (reference | recognised, score)\n");
    // The segment and the log's own number of each complete utterance, as in the table above.
    std::vector<std::pair<std::string, std::string>> numbers;
    for (const SegmentReport& segment : report.Segments())
        for (const UtteranceFigures& utterance : report.content.UtterancesOf(segment))
            numbers.emplace_back(std::to_string(segment.number), std::to_string(utterance.number));
    TextTable pairs({"Segment", "Utterance", "Edit", "Reference", "Recognised", "Score"});
    for (const AlignedPair& pair : report.accuracy->pairs)
        pairs.Add({pair.utterance < numbers.size() ? numbers[pair.utterance].first : "-",
                   pair.utterance < numbers.size() ? numbers[pair.utterance].second : "-",
                   EditName(pair.kind), pair.reference.empty() ? "-" : pair.reference,
                   pair.hypothesis.empty() ? "-" : pair.hypothesis,
                   pair.kind == EditKind::Deletion ? "" : std::to_string(pair.score)});
    pairs.Write(out);
}

} // namespace

void WritePlainReport(const std::vector<LogReport>& reports, const std::string& referencePath,
                      bool details, const TextSink& out)
{
    out("Logs\n");
    TextTable logs(Row("Log", "Segments", FigureHeader()));
    for (const LogReport& report : reports)
        logs.Add(
            Row(report.label, std::to_string(report.Segments().size()), FigureCells(report.whole)));
    logs.Write(out);

    if (AnySplit(reports)) {
        out("\nSegments (split by Reset All)\n");
        // A row per segment, each written once: the widths come from each column's extremes.
        std::vector<double> scratch;
        size_t labelWidth = 0;
        FigureColumnWidths figureWidths;
        size_t lastNumber = 0;
        size_t lastLine = 0;
        for (const LogReport& report : reports) {
            labelWidth = std::max(labelWidth, DisplayWidth(report.label));
            for (const SegmentReport& segment : report.Segments()) {
                figureWidths.Add(FigureValuesOf(SegmentFigures(report, segment, scratch)));
                lastNumber = std::max(lastNumber, segment.number);
                lastLine = std::max(lastLine, segment.firstLine);
            }
        }
        std::vector<size_t> widths{labelWidth, std::to_string(lastNumber).size(),
                                   std::to_string(lastLine).size()};
        for (size_t width : figureWidths.Widths())
            widths.push_back(width);
        auto rows = [&](TableLine& line) {
            char text[kNumberRoom];
            auto cell = [&](char* end) {
                size_t size = static_cast<size_t>(end - text);
                line.Cell(std::string_view(text, size), size);
            };
            for (const LogReport& report : reports)
                for (const SegmentReport& segment : report.Segments()) {
                    line.Cell(report.label);
                    cell(WriteCount(text, static_cast<int64_t>(segment.number)));
                    cell(WriteCount(text, static_cast<int64_t>(segment.firstLine)));
                    // A segment of one utterance has one real-time factor in six columns:
                    // a cell the same as the one before is not written again.
                    const FigureCell* before = nullptr;
                    char* end = text;
                    for (const FigureCell& figure :
                         FigureValuesOf(SegmentFigures(report, segment, scratch))) {
                        if (!before || !SameCell(*before, figure))
                            end = WriteCellText(text, figure);
                        cell(end);
                        before = &figure;
                    }
                    line.End();
                }
        };
        WriteTable(Row("Log", "Segment", Row("From line", FigureHeader())), std::move(widths), rows,
                   out);
    }

    out("\nConfidence scores (words per bin)\n");
    TextTable histogram(Row("Log", HistogramHeader()));
    for (const LogReport& report : reports)
        histogram.Add(Row(report.label, HistogramCells(report.whole.scores)));
    histogram.Write(out);

    if (!referencePath.empty()) {
        out("\nAccuracy against " + referencePath + "\n");
        TextTable accuracy(Row("Log", AccuracyHeader()));
        for (const LogReport& report : reports)
            accuracy.Add(Row(report.label, AccuracyCells(*report.accuracy)));
        accuracy.Write(out);

        TextTable perSegment(Row("Log", "Segment", AccuracyHeader()));
        bool split = false;
        for (const LogReport& report : reports)
            if (report.accuracy->segments.size() > 1)
                for (size_t i = 0; i < report.accuracy->segments.size(); ++i) {
                    split = true;
                    perSegment.Add(Row(report.label, std::to_string(i + 1),
                                       AccuracyCells(report.accuracy->segments[i],
                                                     AlignmentName(*report.accuracy))));
                }
        if (split) {
            out("\nAccuracy per segment\n");
            perSegment.Write(out);
        }

        std::vector<TradeOffSeries> tradeOff = TradeOffOf(reports);
        if (!tradeOff.empty()) {
            out("\nSpeed against accuracy: median real-time factor and word error rate\n");
            TextTable pairs(TradeOffHeader());
            for (const TradeOffSeries& series : tradeOff)
                for (const TradeOffPoint& point : series.points)
                    pairs.Add(TradeOffCells(point));
            pairs.Write(out);
        }

        out("\nConfidence trust: error rate per score bin, and the threshold that best "
            "separates wrong words from right ones\n");
        TextTable trust(Row("Log", TrustHeader()));
        for (const LogReport& report : reports)
            trust.Add(Row(report.label, TrustCells(report.accuracy->trust)));
        trust.Write(out);

        out("\nFlagging the words under a threshold: share of wrong words flagged / share "
            "of right words flagged\n");
        TextTable thresholds(Row("Log", ThresholdHeader()));
        for (const LogReport& report : reports)
            thresholds.Add(Row(report.label, ThresholdCells(report.accuracy->trust)));
        thresholds.Write(out);
    }

    std::string notes = Notes(reports);
    if (!notes.empty())
        out("\n" + notes);
    if (details)
        for (const LogReport& report : reports)
            WriteDetails(report, out);
}

std::string PlainReport(const std::vector<LogReport>& reports, const std::string& referencePath,
                        bool details)
{
    std::string text;
    WritePlainReport(reports, referencePath, details, [&](std::string_view part) { text += part; });
    return text;
}
