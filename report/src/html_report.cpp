#include "html_report.h"

#include <algorithm>
#include <cmath>

#include "number_text.h"
#include "plain_report.h"
#include "report_columns.h"
#include "svg_chart.h"
#include "trade_off.h"
#include "resources/version.h"

namespace {

// More points than this in one line only blur it: a longer run is sampled evenly.
constexpr size_t kMostPoints = 2000;
constexpr int kRtfBins = 12;

std::string Table(const std::vector<std::string>& header,
                  const std::vector<std::vector<std::string>>& rows)
{
    std::string html = "<table>\n<tr>";
    for (const std::string& cell : header)
        html += "<th>" + Escaped(cell) + "</th>";
    html += "</tr>\n";
    for (const auto& row : rows) {
        html += "<tr>";
        for (const std::string& cell : row)
            html += "<td>" + Escaped(cell) + "</td>";
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

std::string RtfPerUtterance(const std::vector<LogReport>& reports)
{
    std::vector<ChartSeries> series;
    for (const LogReport& report : reports) {
        ChartSeries one{report.label, {}, {}, {}};
        const UtteranceList& utterances = report.content.utterances;
        size_t stride = std::max<size_t>(1, (utterances.size() + kMostPoints - 1) / kMostPoints);
        for (size_t i = 0; i < utterances.size(); i += stride)
            one.points.emplace_back(static_cast<double>(i + 1), utterances[i].realTimeFactor);
        series.push_back(std::move(one));
    }
    return LineChart({"rtf-per-utterance", "Real-time factor per utterance",
                      "utterance (in file order)", "real-time factor"},
                     series);
}

std::string RtfDistribution(const std::vector<LogReport>& reports)
{
    double low = 0;
    double high = 0;
    for (const LogReport& report : reports)
        if (report.whole.realTimeFactor.count > 0) {
            low = std::min(low, report.whole.realTimeFactor.minimum);
            high = std::max(high, report.whole.realTimeFactor.p99);
        }
    if (!(high > low))
        high = low + 1;
    double width = (high - low) / kRtfBins;
    // Enough decimals to tell neighbouring bins apart.
    int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(width))), 1, 6);
    std::vector<std::string> categories;
    for (int bin = 0; bin < kRtfBins; ++bin)
        categories.push_back((bin == kRtfBins - 1 ? ">=" : "") +
                             Fixed(low + width * bin, decimals));
    std::vector<ChartSeries> series;
    for (const LogReport& report : reports) {
        ChartSeries one{report.label, {}, std::vector<double>(kRtfBins, 0.0), {}};
        size_t counted = 0;
        for (const UtteranceFigures& utterance : report.content.utterances) {
            double value = utterance.realTimeFactor;
            if (!std::isfinite(value))
                continue;
            // Clamped as a double: a factor far beyond the 99th percentile would not fit an int.
            double bin = std::clamp(std::floor((value - low) / width), 0.0, kRtfBins - 1.0);
            one.values[static_cast<size_t>(bin)] += 1;
            ++counted;
        }
        for (double& value : one.values)
            value = counted > 0 ? value * 100.0 / static_cast<double>(counted) : 0.0;
        series.push_back(std::move(one));
    }
    return BarChart({"rtf-distribution", "Distribution of the real-time factor",
                     "real-time factor (bins from)", "% of utterances"},
                    categories, series);
}

std::string ConfidenceHistogram(const std::vector<LogReport>& reports)
{
    std::vector<std::string> categories;
    for (int bin = 0; bin < kScoreBins; ++bin)
        categories.push_back(BinName(bin));
    std::vector<ChartSeries> series;
    for (const LogReport& report : reports) {
        ChartSeries one{report.label, {}, {}, {}};
        double total = static_cast<double>(report.whole.scores.Total());
        for (int64_t count : report.whole.scores.bins)
            one.values.push_back(total > 0 ? static_cast<double>(count) * 100.0 / total : 0.0);
        series.push_back(std::move(one));
    }
    return BarChart({"confidence-histogram", "Confidence scores", "score", "% of words"},
                    categories, series);
}

std::string Calibration(const std::vector<LogReport>& reports)
{
    std::vector<ChartSeries> series;
    for (const LogReport& report : reports) {
        ChartSeries one{report.label, {}, {}, {}};
        for (int bin = 0; bin < kScoreBins; ++bin) {
            double error = report.accuracy->trust.ErrorRate(bin);
            if (std::isfinite(error))
                one.points.emplace_back(bin * 10 + 5, (1.0 - error) * 100.0);
        }
        series.push_back(std::move(one));
    }
    return LineChart({"calibration", "Calibration: words right per confidence bin",
                      "confidence score (bin middle)", "% of words right"},
                     series, true);
}

std::string ThresholdCurve(const std::vector<LogReport>& reports)
{
    std::vector<ChartSeries> series;
    for (const LogReport& report : reports) {
        ChartSeries one{report.label, {}, {}, {}};
        for (const ThresholdPoint& point : report.accuracy->trust.thresholds)
            one.points.emplace_back(point.rightFlagged * 100.0, point.wrongFlagged * 100.0);
        series.push_back(std::move(one));
    }
    return LineChart({"threshold-curve", "Flagging words under a threshold",
                      "% of right words flagged", "% of wrong words flagged"},
                     series, true);
}

std::string TradeOff(const std::vector<TradeOffSeries>& tradeOff)
{
    std::vector<ChartSeries> series;
    for (const TradeOffSeries& one : tradeOff) {
        ChartSeries drawn{one.name, {}, {}, {}};
        for (const TradeOffPoint& point : one.points) {
            drawn.points.emplace_back(point.medianRtf, point.wordErrorRate * 100.0);
            drawn.labels.push_back(point.segment == 0 ? point.label
                                                      : "segment " + std::to_string(point.segment));
        }
        series.push_back(std::move(drawn));
    }
    return LineChart(
        {"trade-off", "Speed against accuracy", "median real-time factor", "word error rate (%)"},
        series);
}

std::string Comparison(const std::vector<LogReport>& reports, bool accuracy)
{
    std::vector<ChartSeries> speed;
    std::vector<ChartSeries> scores;
    for (const LogReport& report : reports) {
        const Spread& rtf = report.whole.realTimeFactor;
        bool any = rtf.count > 0;
        speed.push_back({report.label,
                         {},
                         {any ? rtf.median : NAN, any ? rtf.mean : NAN, any ? rtf.p90 : NAN,
                          any ? rtf.p99 : NAN},
                         {}});
        std::vector<double> shares{report.whole.shareUnder50 * 100.0};
        if (accuracy)
            shares.push_back(report.accuracy->counts.WordErrorRate() * 100.0);
        scores.push_back({report.label, {}, shares, {}});
    }
    std::vector<std::string> shareNames{"words scoring under 50"};
    if (accuracy)
        shareNames.push_back("word error rate");
    return BarChart({"comparison-rtf", "Comparison of the logs: real-time factor", "",
                     "real-time factor"},
                    {"median", "mean", "p90", "p99"}, speed) +
           BarChart({"comparison-scores", "Comparison of the logs: scores and errors", "", "%"},
                    shareNames, scores);
}

const char kStyle[] = "body{font-family:sans-serif;margin:24px;color:#222}"
                      "table{border-collapse:collapse;margin:8px 0 20px}"
                      "th,td{border:1px solid #ccc;padding:3px 8px;text-align:right}"
                      "th:first-child,td:first-child{text-align:left}"
                      "th{background:#f0f0f0}figure{display:inline-block;margin:8px}"
                      "figcaption{display:none}";

} // namespace

std::string HtmlReport(const std::vector<LogReport>& reports, const std::string& referencePath)
{
    bool accuracy = !referencePath.empty();
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Tarvell session report</title>\n<style>" +
                       std::string(kStyle) + "</style>\n</head>\n<body>\n";
    html += "<h1>Tarvell session report</h1>\n<p>tarvell-report " +
            std::string(TARVELL_VERSION_TEXT) + "</p>\n";

    std::vector<std::vector<std::string>> rows;
    for (const LogReport& report : reports)
        rows.push_back(
            Row(report.label, std::to_string(report.Segments().size()), FigureCells(report.whole)));
    html += "<h2>Logs</h2>\n" + Table(Row("Log", "Segments", FigureHeader()), rows);
    rows.clear();
    for (const LogReport& report : reports)
        for (const SegmentReport& segment : report.Segments())
            rows.push_back(Row(report.label, std::to_string(segment.number),
                               Row(std::to_string(segment.firstLine),
                                   FigureCells(SegmentFigures(report, segment)))));
    html += "<h2>Segments</h2>\n" +
            Table(Row("Log", "Segment", Row("From line", FigureHeader())), rows);
    rows.clear();
    for (const LogReport& report : reports)
        rows.push_back(Row(report.label, HistogramCells(report.whole.scores)));
    html += "<h2>Confidence scores</h2>\n" + Table(Row("Log", HistogramHeader()), rows);
    if (accuracy) {
        rows.clear();
        for (const LogReport& report : reports)
            rows.push_back(Row(report.label, AccuracyCells(*report.accuracy)));
        html += "<h2>Accuracy against " + Escaped(referencePath) + "</h2>\n" +
                Table(Row("Log", AccuracyHeader()), rows);
        rows.clear();
        for (const LogReport& report : reports)
            if (report.accuracy->segments.size() > 1)
                for (size_t i = 0; i < report.accuracy->segments.size(); ++i)
                    rows.push_back(Row(report.label, std::to_string(i + 1),
                                       AccuracyCells(report.accuracy->segments[i],
                                                     AlignmentName(*report.accuracy))));
        if (!rows.empty())
            html += "<h2>Accuracy per segment</h2>\n" +
                    Table(Row("Log", "Segment", AccuracyHeader()), rows);
        rows.clear();
        for (const TradeOffSeries& series : TradeOffOf(reports))
            for (const TradeOffPoint& point : series.points)
                rows.push_back(TradeOffCells(point));
        if (!rows.empty())
            html += "<h2>Speed against accuracy</h2>\n" + Table(TradeOffHeader(), rows);
        rows.clear();
        for (const LogReport& report : reports)
            rows.push_back(Row(report.label, TrustCells(report.accuracy->trust)));
        html += "<h2>Confidence trust</h2>\n<p>Error rate of the words in each score bin, and "
                "the threshold that best separates wrong words from right ones.</p>\n" +
                Table(Row("Log", TrustHeader()), rows);
    }

    html += "<h2>Charts</h2>\n<div class=\"charts\">\n";
    std::vector<TradeOffSeries> tradeOff =
        accuracy ? TradeOffOf(reports) : std::vector<TradeOffSeries>{};
    if (!tradeOff.empty())
        html += TradeOff(tradeOff);
    html += RtfPerUtterance(reports) + RtfDistribution(reports) + ConfidenceHistogram(reports);
    if (accuracy)
        html += Calibration(reports) + ThresholdCurve(reports);
    html += Comparison(reports, accuracy);
    return html + "</div>\n</body>\n</html>\n";
}
