#include "svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kWidth = 640;
constexpr double kHeight = 320;
constexpr double kLeft = 64;
// The legend has a column of its own right of the plotted area, so that it covers no data.
constexpr double kLegendWidth = 150;
constexpr double kPlotRight = kWidth - kLegendWidth - 12;
constexpr double kTop = 36;
constexpr double kBottom = 52;
constexpr double kLegendLine = 17;
// What fits the legend's column at its font size.
constexpr size_t kLegendCharacters = 22;

// Twelve colours that tell apart, so that twelve logs never share one.
const char* const kColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b",
                                "#e377c2", "#7f7f7f", "#bcbd22", "#17becf", "#000000", "#f5c400"};

std::string Num(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string TickText(double value)
{
    char text[32];
    if (std::fabs(value) >= 1000 || value == std::floor(value))
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

struct Scale
{
    double low;
    double high;
    double from;
    double to;
    double operator()(double value) const
    {
        return high == low ? from : from + (value - low) / (high - low) * (to - from);
    }
};

std::string Open(const ChartFrame& frame)
{
    return "<figure class=\"chart\" id=\"" + Escaped(frame.id) +
           "\">\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) +
           "\" height=\"" + Num(kHeight) + "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(kHeight) +
           "\" role=\"img\">\n<title>" + Escaped(frame.title) + "</title>\n" +
           "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" + "<text x=\"" +
           Num(kWidth / 2) + "\" y=\"20\" text-anchor=\"middle\" " +
           "font-size=\"15\" font-weight=\"bold\">" + Escaped(frame.title) + "</text>\n";
}

std::string Close(const ChartFrame& frame)
{
    return "</svg>\n<figcaption>" + Escaped(frame.title) + "</figcaption>\n</figure>\n";
}

// Axis lines, the y ticks with grid lines, and both labels.
std::string Axes(const ChartFrame& frame, const Scale& y, const std::vector<double>& ticks)
{
    std::string svg;
    for (double tick : ticks) {
        std::string at = Num(y(tick));
        svg += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kPlotRight) + "\" y1=\"" + at +
               "\" y2=\"" + at + "\" stroke=\"#dddddd\"/>\n";
        svg += "<text x=\"" + Num(kLeft - 6) + "\" y=\"" + Num(y(tick) + 4) +
               "\" text-anchor=\"end\" font-size=\"11\">" + TickText(tick) + "</text>\n";
    }
    svg += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kLeft) + "\" y1=\"" + Num(kTop) +
           "\" y2=\"" + Num(kHeight - kBottom) + "\" stroke=\"#333333\"/>\n";
    svg += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kPlotRight) + "\" y1=\"" +
           Num(kHeight - kBottom) + "\" y2=\"" + Num(kHeight - kBottom) +
           "\" stroke=\"#333333\"/>\n";
    svg += "<text x=\"" + Num((kLeft + kPlotRight) / 2) + "\" y=\"" + Num(kHeight - 8) +
           "\" text-anchor=\"middle\" font-size=\"12\">" + Escaped(frame.xLabel) + "</text>\n";
    svg += "<text transform=\"translate(14 " + Num((kTop + kHeight - kBottom) / 2) +
           ") rotate(-90)\" text-anchor=\"middle\" font-size=\"12\">" + Escaped(frame.yLabel) +
           "</text>\n";
    return svg;
}

// A name cut to the legend's column, whole UTF-8 characters kept.
std::string LegendName(const std::string& name)
{
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80)
            continue;
        if (++characters > kLegendCharacters)
            return name.substr(0, i) + "\xe2\x80\xa6";
    }
    return name;
}

std::string Legend(const std::vector<ChartSeries>& series)
{
    std::string svg = "<g class=\"legend\">\n";
    double y = kTop;
    for (size_t i = 0; i < series.size(); ++i, y += kLegendLine) {
        svg += "<rect x=\"" + Num(kWidth - kLegendWidth) + "\" y=\"" + Num(y) +
               "\" width=\"10\" height=\"10\" fill=\"" + SeriesColour(i) + "\"/>\n";
        svg += "<text x=\"" + Num(kWidth - kLegendWidth + 15) + "\" y=\"" + Num(y + 9) +
               "\" font-size=\"11\"><title>" + Escaped(series[i].name) + "</title>" +
               Escaped(LegendName(series[i].name)) + "</text>\n";
    }
    return svg + "</g>\n";
}

} // namespace

const char* SeriesColour(size_t index)
{
    return kColours[index % (sizeof kColours / sizeof kColours[0])];
}

std::string Escaped(const std::string& text)
{
    std::string safe;
    for (char c : text) {
        switch (c) {
        case '&': safe += "&amp;"; break;
        case '<': safe += "&lt;"; break;
        case '>': safe += "&gt;"; break;
        case '"': safe += "&quot;"; break;
        case '\'': safe += "&#39;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
                safe += "?";
            else
                safe += c;
        }
    }
    return safe;
}

std::vector<double> AxisTicks(double low, double high)
{
    low = std::min(low, 0.0);
    if (!(high > low))
        high = low + 1;
    double raw = (high - low) / 5;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (power * factor >= raw) {
            step = power * factor;
            break;
        }
    std::vector<double> ticks;
    double start = std::floor(low / step) * step;
    for (double tick = start; ticks.size() < 12; tick += step) {
        ticks.push_back(tick);
        if (tick >= high)
            break;
    }
    return ticks;
}

std::string LineChart(const ChartFrame& frame, const std::vector<ChartSeries>& series,
                      bool diagonal)
{
    double xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
    bool first = true;
    for (const ChartSeries& one : series)
        for (auto [x, y] : one.points) {
            if (!std::isfinite(x) || !std::isfinite(y))
                continue;
            xLow = first ? x : std::min(xLow, x);
            xHigh = first ? x : std::max(xHigh, x);
            yLow = first ? y : std::min(yLow, y);
            yHigh = first ? y : std::max(yHigh, y);
            first = false;
        }
    if (diagonal) {
        xHigh = std::max(xHigh, yHigh);
        yHigh = xHigh;
    }
    std::vector<double> yTicks = AxisTicks(yLow, yHigh);
    std::vector<double> xTicks = AxisTicks(xLow, xHigh);
    Scale y{yTicks.front(), yTicks.back(), kHeight - kBottom, kTop};
    Scale x{xTicks.front(), xTicks.back(), kLeft, kPlotRight};
    std::string svg = Open(frame) + Axes(frame, y, yTicks);
    for (double tick : xTicks)
        svg += "<text x=\"" + Num(x(tick)) + "\" y=\"" + Num(kHeight - kBottom + 16) +
               "\" text-anchor=\"middle\" font-size=\"11\">" + TickText(tick) + "</text>\n";
    if (diagonal)
        svg += "<line class=\"ideal\" x1=\"" + Num(x(0)) + "\" y1=\"" + Num(y(0)) + "\" x2=\"" +
               Num(x(xTicks.back())) + "\" y2=\"" + Num(y(xTicks.back())) +
               "\" stroke=\"#999999\" stroke-dasharray=\"4 4\"/>\n";
    for (size_t i = 0; i < series.size(); ++i) {
        std::string points;
        for (auto [px, py] : series[i].points)
            if (std::isfinite(px) && std::isfinite(py))
                points += Num(x(px)) + "," + Num(y(py)) + " ";
        if (points.empty())
            continue;
        points.pop_back();
        svg += "<polyline class=\"series\" fill=\"none\" stroke-width=\"2\" stroke=\"" +
               std::string(SeriesColour(i)) + "\" points=\"" + points + "\"/>\n";
        if (series[i].points.size() > 60)
            continue;
        for (size_t k = 0; k < series[i].points.size(); ++k) {
            auto [px, py] = series[i].points[k];
            if (!std::isfinite(px) || !std::isfinite(py))
                continue;
            svg += "<circle cx=\"" + Num(x(px)) + "\" cy=\"" + Num(y(py)) + "\" r=\"3\" fill=\"" +
                   SeriesColour(i) + "\"/>\n";
            // A label reads away from the nearer side, so that it stays inside the plot.
            bool right = x(px) < (kLeft + kPlotRight) / 2;
            if (k < series[i].labels.size())
                svg += "<text class=\"point-label\" x=\"" + Num(x(px) + (right ? 5 : -5)) +
                       "\" y=\"" + Num(y(py) - 5) + "\" text-anchor=\"" +
                       (right ? "start" : "end") + "\" font-size=\"10\">" +
                       Escaped(series[i].labels[k]) + "</text>\n";
        }
    }
    return svg + Legend(series) + Close(frame);
}

std::string BarChart(const ChartFrame& frame, const std::vector<std::string>& categories,
                     const std::vector<ChartSeries>& series)
{
    // The axis fits the values, however small: real-time factors are often hundredths.
    double low = 0, high = 0;
    for (const ChartSeries& one : series)
        for (double value : one.values)
            if (std::isfinite(value)) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
    std::vector<double> ticks = AxisTicks(low, high);
    Scale y{ticks.front(), ticks.back(), kHeight - kBottom, kTop};
    std::string svg = Open(frame) + Axes(frame, y, ticks);
    double group =
        (kPlotRight - kLeft) / static_cast<double>(std::max<size_t>(categories.size(), 1));
    double bar = group * 0.8 / static_cast<double>(std::max<size_t>(series.size(), 1));
    for (size_t c = 0; c < categories.size(); ++c) {
        double left = kLeft + group * static_cast<double>(c) + group * 0.1;
        svg += "<text x=\"" + Num(left + group * 0.4) + "\" y=\"" + Num(kHeight - kBottom + 16) +
               "\" text-anchor=\"middle\" font-size=\"11\">" + Escaped(categories[c]) + "</text>\n";
        for (size_t s = 0; s < series.size(); ++s) {
            double value = c < series[s].values.size() ? series[s].values[c] : NAN;
            if (!std::isfinite(value))
                continue;
            double top = std::min(y(value), y(0));
            double height = std::fabs(y(value) - y(0));
            svg += "<rect class=\"bar\" x=\"" + Num(left + bar * static_cast<double>(s)) +
                   "\" y=\"" + Num(top) + "\" width=\"" + Num(std::max(bar - 1, 1.0)) +
                   "\" height=\"" + Num(height) + "\" fill=\"" + SeriesColour(s) + "\"/>\n";
        }
    }
    return svg + Legend(series) + Close(frame);
}
