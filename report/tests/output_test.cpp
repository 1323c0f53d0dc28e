// What the outputs hold: the table's layout, CSV quoting, and a page that stands alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "csv_report.h"
#include "html_report.h"
#include "log_builder.h"
#include "report_columns.h"
#include "svg_chart.h"
#include "text_table.h"

namespace {

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

LogReport ReportOf(const std::string& bytes, const std::string& label,
                   const ReferenceText* reference)
{
    LogReport report;
    report.label = label;
    LogReading reading(report.content, reference != nullptr);
    EXPECT_TRUE(reading.Feed(bytes)) << reading.Problem();
    reading.Finish();
    report.whole = FiguresOf(report.content);
    if (reference)
        report.accuracy =
            MeasureAccuracy(*reference, report.content, report.whole.utterances, false, true);
    return report;
}

} // namespace

TEST(TextTable, PadsColumnsByCharactersNotBytes)
{
    TextTable table({"Log", "Words"});
    table.Add({"caf\xc3\xa9", "12"});
    table.Add({"longer name", "3"});
    EXPECT_EQ(table.Render(), "Log          Words\n"
                              "caf\xc3\xa9            12\n"
                              "longer name      3\n");
}

TEST(TextTable, FigureColumnsAsWideAsTheirWidestCell)
{
    // Segment figures whose widest cells are at either end of a column, "-0.000" (wider than
    // "0.000" though equal to it) and "n/a".
    auto figures = [](double rtf, int64_t words) {
        LogFigures one;
        one.utterances = 1;
        one.words = words;
        one.realTimeFactor = SpreadOf({rtf});
        return one;
    };
    std::vector<LogFigures> rows{figures(9.9996, 3), figures(-10.25, 1234), figures(0.0, 7),
                                 figures(-0.0, 12), LogFigures{}};
    for (size_t rest = 0; rest < rows.size(); ++rest) {
        FigureColumnWidths widths;
        std::vector<size_t> widest(kFigureColumns, 0);
        for (size_t i = rest; i < rows.size(); ++i) {
            widths.Add(FigureValuesOf(rows[i]));
            std::vector<std::string> cells = FigureCells(rows[i]);
            for (size_t column = 0; column < kFigureColumns; ++column)
                widest[column] = std::max(widest[column], cells[column].size());
        }
        EXPECT_EQ(widths.Widths(), widest) << "from row " << rest;
    }
}

TEST(Csv, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(CsvField("plain"), "plain");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");

    // A label a spreadsheet would run as a formula is marked as text; numbers stay numbers.
    using namespace testlog;
    std::string log = StartLines() + Block(1, "-0.500", 1, {{90, "a"}});
    std::vector<LogReport> reports;
    for (const char* label : {"=HYPERLINK(\"x\")", "+1", "-1", "@SUM(A1)", "'quoted", "plain"})
        reports.push_back(ReportOf(log, label, nullptr));
    std::string csv = CsvReport(reports);
    for (const char* row :
         {"\r\n\"'=HYPERLINK(\"\"x\"\")\",all,,1,", "\r\n'+1,all,", "\r\n'-1,all,",
          "\r\n'@SUM(A1),all,", "\r\n''quoted,all,", "\r\nplain,all,,1,1,1.0,1,1,1.0,-0.500,"})
        EXPECT_NE(csv.find(row), std::string::npos) << row << "\n" << csv;
}

TEST(Svg, TicksAndEscapes)
{
    EXPECT_EQ(AxisTicks(0, 1), (std::vector<double>{0, 0.2, 0.4, 0.6000000000000001, 0.8, 1}));
    EXPECT_EQ(AxisTicks(0, 87).back(), 100);
    EXPECT_EQ(AxisTicks(-3, 4).front(), -4);
    EXPECT_EQ(AxisTicks(5, 5).size(), 6u);
    EXPECT_EQ(Escaped("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

TEST(Html, OnePageWithEveryChartAndNothingFetchedOrRun)
{
    using namespace testlog;
    // A factor far beyond the others still lands in the last bin of the distribution.
    std::string log = StartLines() + Block(1, "0.500", 2, {{90, "hello"}, {40, "world"}}) +
                      Block(2, "inf", 1, {{70, "<script>"}}) +
                      Block(3, "4294967295.000", 1, {{70, "slow"}});
    ReferenceText reference = ReferenceFromBytes("hello world\nscript\n");
    std::vector<LogReport> reports{ReportOf(log, "one & only", &reference),
                                   ReportOf(log, "second", &reference)};
    std::string page = HtmlReport(reports, "ref.txt");
    for (const char* id :
         {"trade-off", "rtf-per-utterance", "rtf-distribution", "confidence-histogram",
          "calibration", "threshold-curve", "comparison-rtf", "comparison-scores"})
        EXPECT_NE(page.find(std::string("id=\"") + id + "\""), std::string::npos) << id;
    EXPECT_EQ(Occurrences(page, "<svg "), 8u);
    EXPECT_EQ(Occurrences(page, "</svg>"), 8u);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(page.find("href="), std::string::npos);
    EXPECT_EQ(page.find("url("), std::string::npos);
    EXPECT_NE(page.find("one &amp; only"), std::string::npos);
    // Without a reference there is nothing to calibrate.
    std::vector<LogReport> plain{ReportOf(log, "x", nullptr)};
    std::string without = HtmlReport(plain, "");
    EXPECT_EQ(Occurrences(without, "<svg "), 5u);
    EXPECT_EQ(without.find("trade-off"), std::string::npos);
    EXPECT_EQ(without.find("calibration"), std::string::npos);
    // Every number drawn is a finite one.
    EXPECT_FALSE(std::regex_search(page, std::regex("(nan|inf)[\" ,]")));
}

TEST(Html, LegendsBesideTheDataAndTwelveColours)
{
    std::vector<ChartSeries> series;
    for (int i = 0; i < 12; ++i)
        series.push_back({"log " + std::to_string(i), {{0, 0}, {100, 100}}, {}, {}});
    std::string svg = LineChart({"c", "C", "x", "y"}, series);
    // Every legend mark lies right of the plotted area's rightmost grid line.
    std::smatch grid;
    ASSERT_TRUE(std::regex_search(svg, grid, std::regex("<line x1=\"[0-9.]+\" x2=\"([0-9.]+)\"")));
    double plotRight = std::stod(grid[1]);
    std::string legend = svg.substr(svg.find("class=\"legend\""));
    std::regex mark("<rect x=\"([0-9.]+)\"");
    size_t marks = 0;
    for (std::sregex_iterator it(legend.begin(), legend.end(), mark), end; it != end; ++it, ++marks)
        EXPECT_GT(std::stod((*it)[1]), plotRight);
    EXPECT_EQ(marks, 12u);
    std::set<std::string> colours;
    for (size_t i = 0; i < 12; ++i)
        colours.insert(SeriesColour(i));
    EXPECT_EQ(colours.size(), 12u);
}
