// Real logs mutated at random (bytes changed, lines cut, repeated, swapped, dropped, line ends
// changed) and read, figured, aligned and written out: each must end in a result or in an
// error that names its line, never in a crash or a hang. Run under AddressSanitizer and
// UndefinedBehaviorSanitizer by the tests; the rounds are bounded.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "csv_report.h"
#include "html_report.h"
#include "plain_report.h"
#include "test_files.h"

namespace {

constexpr int kRoundsPerLog = 300;

std::vector<std::string> LinesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string Mutated(const std::string& original, std::mt19937& random)
{
    std::string bytes = original;
    std::vector<std::string> lines = LinesOf(bytes);
    auto pick = [&](size_t count) { return static_cast<size_t>(random() % count); };
    auto joined = [&] {
        std::string text;
        for (const std::string& line : lines)
            text += line;
        return text;
    };
    switch (random() % 8) {
    case 0:
        for (size_t n = 1 + pick(4); n > 0; --n)
            bytes[pick(bytes.size())] = static_cast<char>(random());
        return bytes;
    case 1: return bytes.substr(0, pick(bytes.size()));
    case 2: {
        size_t at = pick(lines.size());
        lines.insert(lines.begin() + static_cast<long>(at), lines[at]);
        return joined();
    }
    case 3: std::swap(lines[pick(lines.size())], lines[pick(lines.size())]); return joined();
    case 4: lines.erase(lines.begin() + static_cast<long>(pick(lines.size()))); return joined();
    case 5: {
        size_t from = pick(lines.size());
        lines.insert(lines.begin() + static_cast<long>(pick(lines.size())), lines[from]);
        return joined();
    }
    case 6: {
        // A digit for another: numbers that no longer agree with each other.
        for (int tries = 0; tries < 100; ++tries) {
            size_t at = pick(bytes.size());
            if (bytes[at] >= '0' && bytes[at] <= '9') {
                bytes[at] = static_cast<char>('0' + random() % 10);
                break;
            }
        }
        return bytes;
    }
    default: {
        std::string& line = lines[pick(lines.size())];
        if (line.size() >= 2 && line[line.size() - 2] == '\r')
            line.erase(line.size() - 2, 1);
        else
            line.insert(line.size() - (line.empty() ? 0 : 1), "\r");
        return joined();
    }
    }
}

} // namespace

TEST(Mutation, EveryMutatedRealLogEndsInAResultOrAClearError)
{
    std::filesystem::path folder = testfiles::RealLogs();
    ASSERT_FALSE(folder.empty()) << "TARVELL_REPORT_LOGS names no folder";
    ReferenceText reference = ReferenceFromBytes(
        "The quick brown fox\njumps over the lazy dog\ncaf\xc3\xa9 na\xc3\xafve\n");
    const std::regex clearError("^([0-9]+: (expected .+, found \".*\"|utterance number -?[0-9]+ "
                                ".+|(maximum|minimum|average) score -?[0-9]+ does not agree.+)|"
                                " holds NUL bytes.+; expected a session log.+)$");
    std::mt19937 random(1209);
    size_t results = 0;
    size_t errors = 0;
    for (const char* name : {"varied.txt", "clean.txt", "varied-after-save.txt"}) {
        std::string original = testfiles::Read(folder / name);
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < kRoundsPerLog; ++round) {
            std::string bytes = Mutated(original, random);
            std::vector<LogReport> reports(1);
            LogReport& report = reports[0];
            report.label = name;
            LogReading reading(report.content, true);
            size_t piece = 1 + random() % 512;
            bool fits = true;
            for (size_t at = 0; fits && at < bytes.size(); at += piece)
                fits = reading.Feed(std::string_view(bytes).substr(at, piece));
            if (!fits) {
                ++errors;
                EXPECT_TRUE(std::regex_match(reading.Problem(), clearError))
                    << name << " round " << round << ": " << reading.Problem();
                continue;
            }
            reading.Finish();
            ++results;
            report.whole = FiguresOf(report.content);
            report.accuracy =
                MeasureAccuracy(reference, report.content, report.whole.utterances, false, true);
            EXPECT_FALSE(PlainReport(reports, "reference", true).empty());
            EXPECT_FALSE(CsvReport(reports).empty());
            EXPECT_FALSE(HtmlReport(reports, "reference").empty());
        }
    }
    // The mutations must reach both ends, or they test nothing.
    EXPECT_GT(results, 50u);
    EXPECT_GT(errors, 50u);
    std::printf("%zu mutated logs read, %zu refused with a clear error\n", results, errors);
}
