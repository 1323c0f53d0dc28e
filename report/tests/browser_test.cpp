// The HTML report in a real browser: Debian's chromium, headless, renders the page of the
// real logs to a PNG, and the charts must be there in it, drawn in the series' colours.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "html_report.h"
#include "png_image.h"
#include "test_files.h"

namespace {

std::vector<LogReport> RealReports(const ReferenceText& reference)
{
    std::vector<LogReport> reports;
    for (const char* name : {"varied.txt", "clean.txt"}) {
        LogReport report;
        std::string message;
        EXPECT_TRUE(BuildLogReport((testfiles::RealLogs() / name).string(), name, &reference, false,
                                   false, report, message))
            << message;
        reports.push_back(std::move(report));
    }
    return reports;
}

// Processes whose command line holds the marker (this test's own profile folder): the browser
// may leave helpers behind for a moment after it exits.
std::vector<pid_t> ProcessesWith(const std::string& marker)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string command = testfiles::Read(entry.path() / "cmdline");
        if (command.find(marker) != std::string::npos)
            found.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return found;
}

void EndLeftovers(const std::string& marker)
{
    for (int wait = 0; wait < 50 && !ProcessesWith(marker).empty(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (pid_t pid : ProcessesWith(marker))
        kill(pid, SIGKILL);
}

} // namespace

TEST(Browser, ChromiumRendersThePageWithItsCharts)
{
    ASSERT_FALSE(testfiles::RealLogs().empty()) << "TARVELL_REPORT_LOGS names no folder";
    ReferenceText reference = ReferenceFromBytes(
        "The quick brown fox\njumps over the lazy dog\ncafe naive instant\nhello world\n");
    std::vector<LogReport> reports = RealReports(reference);
    testfiles::ScratchFolder folder;
    std::filesystem::path page = folder / "report.html";
    std::filesystem::path png = folder / "report.png";
    std::filesystem::path profile = folder / "profile";
    testfiles::Write(page, HtmlReport(reports, "reference.txt"));

    testfiles::Run run = testfiles::RunCommand(
        "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run "
        "--disable-crash-reporter --user-data-dir=" +
            testfiles::Quoted(profile.string()) + " --window-size=1300,4200 --screenshot=" +
            testfiles::Quoted(png.string()) + " " + testfiles::Quoted("file://" + page.string()),
        folder, 90);
    EndLeftovers(profile.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;

    PngImage image;
    std::string why;
    ASSERT_TRUE(DecodePng(testfiles::Read(png), image, why)) << why;
    EXPECT_EQ(image.width, 1300u);
    EXPECT_EQ(image.height, 4200u);
    // Tables, text and seven charts: far from blank.
    EXPECT_GT(image.NotWhite(), 150000u);
    // Each log's series colour, in lines and bars (antialiasing blurs some edges).
    size_t first = image.Count(0x1f, 0x77, 0xb4, 8);
    size_t second = image.Count(0xff, 0x7f, 0x0e, 8);
    EXPECT_GT(first, 20000u);
    EXPECT_GT(second, 20000u);
    std::printf("%zu pixels drawn, %zu in the first log's colour, %zu in the second's\n",
                image.NotWhite(), first, second);
}
