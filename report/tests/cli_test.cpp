// The command line: options, exit codes, messages, and the files written.
#include <gtest/gtest.h>

#include "log_builder.h"
#include "report_options.h"
#include "test_files.h"
#include "resources/version.h"

using testfiles::Quoted;

TEST(Options, ParsesTheDocumentedCommandLine)
{
    struct Case
    {
        std::vector<std::string> arguments;
        bool ok;
        std::string message;
        std::vector<std::string> labels;
    } cases[] = {
        {{"a.txt"}, true, "", {"a.txt"}},
        {{"dir/a.txt", "C:\\logs\\b.txt"}, true, "", {"a.txt", "b.txt"}},
        {{"--label", "fast", "a.txt", "b.txt"}, true, "", {"fast", "b.txt"}},
        {{"--label=fast", "--label", "slow", "a", "b"}, true, "", {"fast", "slow"}},
        {{"--reference", "r.txt", "--csv", "o.csv", "--html", "o.html", "--details", "a"},
         true,
         "",
         {"a"}},
        {{"--", "--odd-name"}, true, "", {"--odd-name"}},
        {{}, false, "no log given", {}},
        {{"--reference"}, false, "--reference needs a value", {}},
        {{"--csv", "", "a"}, false, "--csv needs a file name", {}},
        {{"--html", "x", "--html", "y", "a"}, false, "--html given twice", {}},
        {{"--label", "x", "--label", "y", "a"}, false, "more labels (2) than logs (1)", {}},
        {{"--frobnicate", "a"}, false, "unknown option --frobnicate", {}},
        {{"--details=yes", "a"}, false, "--details takes no value", {}},
    };
    for (const Case& c : cases) {
        ReportOptions options;
        std::string message;
        EXPECT_EQ(ParseOptions(c.arguments, options, message), c.ok) << message;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(options.labels, c.ok ? c.labels : options.labels);
    }
    ReportOptions version;
    std::string message;
    EXPECT_TRUE(ParseOptions({"--version"}, version, message));
    EXPECT_TRUE(version.version);
}

TEST(Cli, ExitCodesAndMessagesNameTheFileAndLine)
{
    testfiles::ScratchFolder folder;
    std::string program = Quoted(testfiles::ReportProgram().string());
    std::string good = (folder / "good.txt").string();
    testfiles::Write(good, testlog::StartLines() +
                               testlog::Block(1, "0.500", 2, {{90, "hello"}, {40, "world"}}));
    std::string bad = (folder / "bad.txt").string();
    testfiles::Write(bad, testlog::StartLines() + "nonsense\r\n");
    std::string cut = (folder / "cut.txt").string();
    std::string block = testlog::Block(2, "0.500", 1, {{70, "cut"}});
    testfiles::Write(cut, testfiles::Read(good) + block.substr(0, block.size() / 2));
    std::string reference = (folder / "reference.txt").string();
    testfiles::Write(reference, "Hello, world!\n");

    struct Case
    {
        std::string arguments;
        int exitCode;
        std::string out; // a part of stdout
        std::string err; // a part of stderr
    } cases[] = {
        {"--version", 0, "tarvell-report " TARVELL_VERSION_TEXT "\n", ""},
        {"--help", 0, "usage: tarvell-report", ""},
        {Quoted(good), 0, "good.txt", ""},
        {"--reference " + Quoted(reference) + " " + Quoted(good), 0, "0.0%", ""},
        {Quoted(bad), 2, "", "bad.txt:4: expected an utterance block"},
        {Quoted(good) + " " + Quoted(bad), 2, "", "bad.txt:4: expected"},
        {Quoted((folder / "missing.txt").string()), 2, "", "missing.txt: cannot be opened"},
        {"--reference " + Quoted((folder / "none.txt").string()) + " " + Quoted(good), 2, "",
         "none.txt: cannot be opened"},
        {Quoted(cut), 0, "cut.txt", "cut.txt:15: warning: utterance 2 is cut short"},
        {"--bogus " + Quoted(good), 2, "", "unknown option --bogus"},
        {"--csv " + Quoted((folder / "no-such-folder" / "x.csv").string()) + " " + Quoted(good), 2,
         "", "x.csv: cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        testfiles::Run run = testfiles::RunCommand(program + " " + c.arguments, folder);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST(Cli, WritesTheCsvAndThePageBesideTheTable)
{
    testfiles::ScratchFolder folder;
    std::string log = (folder / "a.txt").string();
    testfiles::Write(
        log, testlog::StartLines() + testlog::Block(1, "0.500", 2, {{90, "hello"}, {40, "world"}}) +
                 testlog::ResetLines() + testlog::Block(1, "0.250", 1, {{70, "again"}}));
    std::string csv = (folder / "a.csv").string();
    std::string html = (folder / "a.html").string();
    testfiles::Run run = testfiles::RunCommand(
        Quoted(testfiles::ReportProgram().string()) + " --label \"first, quoted\" --csv " +
            Quoted(csv) + " --html " + Quoted(html) + " " + Quoted(log),
        folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string table = run.out;
    EXPECT_NE(table.find("Segments (split by Reset All)"), std::string::npos);
    std::string rows = testfiles::Read(csv);
    EXPECT_EQ(rows.substr(0, rows.find("\r\n")).substr(0, 29), "Log,Segment,From line,Utts,Wo");
    EXPECT_NE(rows.find("\r\n\"first, quoted\",all,,2,3,"), std::string::npos) << rows;
    EXPECT_NE(rows.find("\r\n\"first, quoted\",2,19,1,1,"), std::string::npos) << rows;
    std::string page = testfiles::Read(html);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("first, quoted"), std::string::npos);
}
