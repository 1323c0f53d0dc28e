// Charts as inline SVG text: no script, nothing fetched, so a page holding them stands alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ChartSeries
{
    std::string name;
    std::vector<std::pair<double, double>> points; // for line charts
    std::vector<double> values;                    // for bar charts, one per category
    std::vector<std::string> labels;               // beside the points, when given
};

struct ChartFrame
{
    std::string id;
    std::string title;
    std::string xLabel;
    std::string yLabel;
};

// The colour of the n-th series: twelve before one repeats.
const char* SeriesColour(size_t index);

// Text made safe inside HTML and SVG.
std::string Escaped(const std::string& text);

// Points joined by lines, each series in its colour, labelled when labels are given;
// non-finite points are left out. With `diagonal`, the line y = x is drawn for reference (a
// calibration's ideal). Legends sit right of the plotted area.
std::string LineChart(const ChartFrame& frame, const std::vector<ChartSeries>& series,
                      bool diagonal = false);

// Bars grouped by category, one bar per series in each group; non-finite values draw no bar.
std::string BarChart(const ChartFrame& frame, const std::vector<std::string>& categories,
                     const std::vector<ChartSeries>& series);

// Ticks for an axis from 0 (or the lowest value, when negative) to past the highest value:
// 1, 2 or 5 times a power of ten apart.
std::vector<double> AxisTicks(double low, double high);
