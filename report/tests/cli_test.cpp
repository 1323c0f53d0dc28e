// The command line: options, exit codes, messages, and the files written.
#include <gtest/gtest.h>

#include <filesystem>

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
        {{"--reference-each-segment", "a"},
         false,
         "--reference-each-segment needs --reference",
         {}},
        // Logs of one file name are told apart by their folders, as far as it takes.
        {{"a/s.txt", "b\\s.txt", "t.txt"}, true, "", {"a/s.txt", "b/s.txt", "t.txt"}},
        {{"x/a/s.txt", "./y/a/s.txt"}, true, "", {"x/a/s.txt", "y/a/s.txt"}},
        {{"--label", "s.txt", "s.txt", "d/s.txt"}, true, "", {"s.txt", "d/s.txt"}},
        {{"s.txt", "s.txt"}, true, "", {"s.txt", "s.txt (2)"}},
        // Names that are not UTF-8 are written as UTF-8.
        {{"--label", "\xe9t\xe9", "a", "caf\xe9.txt"},
         true,
         "",
         {"\xc3\xa9t\xc3\xa9", "caf\xc3\xa9.txt"}},
    };
    for (const Case& c : cases) {
        ReportOptions options;
        std::string message;
        EXPECT_EQ(ParseOptions(c.arguments, options, message), c.ok) << message;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(options.labels, c.ok ? c.labels : options.labels);
    }
    ReportOptions twice;
    std::string message;
    ASSERT_TRUE(ParseOptions({"a/s.txt", "b/s.txt"}, twice, message));
    EXPECT_EQ(twice.labelNotes.size(), 2u);
    ReportOptions version;
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

TEST(Cli, NeverHarmsAFile)
{
    testfiles::ScratchFolder folder;
    std::string program = Quoted(testfiles::ReportProgram().string()) + " ";
    std::string log = (folder / "s.txt").string();
    std::string logText =
        testlog::StartLines() + testlog::Block(1, "0.500", 1, {{90, "hello"}, {40, "world"}});
    testfiles::Write(log, logText);
    std::string reference = (folder / "r.txt").string();
    testfiles::Write(reference, "hello world\n");
    std::string link = (folder / "link.txt").string();
    std::filesystem::create_symlink(log, link);
    std::string hard = (folder / "hard.txt").string();
    std::filesystem::create_hard_link(reference, hard);
    std::string csv = (folder / "old.csv").string();
    std::string html = (folder / "old.html").string();
    struct Case
    {
        std::string arguments;
        std::string err;
    } cases[] = {
        {"--csv " + Quoted(log) + " " + Quoted(log),
         "--csv " + log + " is the same file as the log"},
        {"--html " + Quoted(link) + " " + Quoted(log), "is the same file as the log " + log},
        {"--csv " + Quoted((folder / "." / "s.txt").string()) + " " + Quoted(log),
         "is the same file"},
        {"--reference " + Quoted(reference) + " --html " + Quoted(hard) + " " + Quoted(log),
         "is the same file as the reference"},
        {"--csv " + Quoted(csv) + " --html " + Quoted((folder / "." / "old.csv").string()) + " " +
             Quoted(log),
         "are the same file"},
        {"--csv " + Quoted((folder / "new.csv").string()) + " --html " +
             Quoted((folder / "new.csv").string()) + " " + Quoted(log),
         "are the same file"},
        // The CSV can be written, the page cannot: neither is replaced.
        {"--csv " + Quoted(csv) + " --html " + Quoted((folder / "none" / "x.html").string()) + " " +
             Quoted(log),
         "x.html: cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        testfiles::Write(csv, "old csv");
        testfiles::Write(html, "old page");
        testfiles::Run run = testfiles::RunCommand(program + c.arguments, folder);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(testfiles::Read(log), logText);
        EXPECT_EQ(testfiles::Read(reference), "hello world\n");
        EXPECT_EQ(testfiles::Read(csv), "old csv");
        EXPECT_EQ(testfiles::Read(html), "old page");
        EXPECT_FALSE(std::filesystem::exists(folder / "new.csv"));
    }
    // A run that succeeds replaces both, keeps their permissions, writes through a link to
    // what it names and leaves nothing else behind.
    namespace fs = std::filesystem;
    fs::permissions(csv, fs::perms::owner_read | fs::perms::owner_write);
    std::string page = (folder / "page-link.html").string();
    fs::create_symlink(html, page);
    testfiles::Run run = testfiles::RunCommand(
        program + "--csv " + Quoted(csv) + " --html " + Quoted(page) + " " + Quoted(log), folder);
    EXPECT_TRUE(fs::is_symlink(page));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testfiles::Read(csv).rfind("Log,", 0), 0u);
    EXPECT_EQ(fs::status(csv).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(testfiles::Read(html).rfind("<!DOCTYPE", 0), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(folder / "."))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST(Cli, ReadsWhatUsersHandItOrSaysWhy)
{
    testfiles::ScratchFolder folder;
    std::string program = Quoted(testfiles::ReportProgram().string()) + " ";
    auto file = [&](const std::string& name, const std::string& bytes) {
        testfiles::Write(folder / name, bytes);
        return Quoted((folder / name).string());
    };
    auto utf16 = [](const std::string& ascii, bool big, bool mark) {
        std::string bytes = mark ? (big ? "\xfe\xff" : "\xff\xfe") : "";
        for (char c : ascii)
            bytes += big ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    std::string text = testlog::StartLines() +
                       testlog::Block(1, "0.500", 1, {{90, "hello"}, {40, "world"}}) +
                       testlog::Block(2, "0.250", 1, {{70, "again"}});
    std::string crOnly;
    for (char c : testlog::ToLf(text))
        crOnly += c == '\n' ? '\r' : c;
    // Past 64 KiB, where a file read as one line used to be refused as too long.
    std::string longCrOnly = crOnly;
    for (int n = 3; longCrOnly.size() < 70000; ++n) {
        std::string block = testlog::ToLf(testlog::Block(n, "0.100", 1, {{50, "more"}}));
        for (char& c : block)
            c = c == '\n' ? '\r' : c;
        longCrOnly += block;
    }
    std::string log = file("s.txt", text);
    std::string latin = "caf\xe9";
    struct Case
    {
        std::string arguments;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        {"--reference " + file("le.txt", utf16("hello world\r\nagain\r\n", false, true)) + " " +
             log,
         0, "3    0    0    0  0.0%", ""},
        {"--reference " + file("be.txt", utf16("hello world\r\nagain\r\n", true, true)) + " " + log,
         0, "3    0    0    0  0.0%", ""},
        {"--reference " + file("bare.txt", utf16("hello world\r\n", false, false)) + " " + log, 2,
         "", "bare.txt: holds NUL bytes"},
        {file("u16.txt", utf16(text, false, true)), 2, "", "u16.txt: is UTF-16 text"},
        {file("u16bare.txt", utf16(text, true, false)), 2, "", "u16bare.txt: holds NUL bytes"},
        {file("bom.txt", "\xef\xbb\xbf" + text), 2, "", "bom.txt: is UTF-8 text"},
        {file("utf8.txt",
              testlog::StartLines() + testlog::Block(1, "0.500", 1, {{80, "caf\xc3\xa9"}})),
         2, "", "utf8.txt: is UTF-8 text"},
        {file("latin.txt", testlog::StartLines() + testlog::Block(1, "0.500", 1, {{80, latin}})), 0,
         "latin.txt", ""},
        {file("cr.txt", crOnly), 0, "cr.txt", ""},
        {file("crlong.txt", longCrOnly), 0, "crlong.txt", ""},
        {file("empty.txt", ""), 2, "", "empty.txt: holds no line of a session log"},
        {"--reference " + file("three.txt", "hello\nworld\nagain\n") + " " + log, 0, "whole text",
         "the reference has 3 lines and the log 2 complete utterances"},
        {"--reference " + file("two.txt", "hello world\nagain\n") + " " + log, 0, "per utterance",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        testfiles::Run run = testfiles::RunCommand(program + c.arguments, folder);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST(Cli, EachSegmentAgainstTheWholeReferenceWithFiguresThatAgree)
{
    using namespace testlog;
    testfiles::ScratchFolder folder;
    // The same text read in three segments; a block cut after its first line and one cut in its
    // words are dropped, each with a warning, and counted so in every output.
    std::string cutEarly = Block(3, "0.900", 1, {{10, "x"}});
    cutEarly = cutEarly.substr(0, cutEarly.find("\r\n") + 2);
    std::string cutLate = Block(6, "0.900", 1, {{10, "x"}, {20, "y"}});
    cutLate = cutLate.substr(0, cutLate.find("10 : x"));
    std::string log = (folder / "l.txt").string();
    testfiles::Write(log, StartLines() + Block(1, "0.500", 1, {{90, "hello"}, {80, "world"}}) +
                              ResetLines() + Block(1, "0.250", 1, {{90, "hello"}}) +
                              Block(2, "0.250", 1, {{40, "word"}}) + cutEarly +
                              Block(5, "0.250", 1, {{40, "again"}}) + cutLate + ResetLines() +
                              Block(1, "0.100", 1, {{70, "yellow"}, {60, "world"}}));
    std::string reference = (folder / "r.txt").string();
    testfiles::Write(reference, "Hello world.\n");
    std::string csv = (folder / "l.csv").string();
    std::string html = (folder / "l.html").string();
    testfiles::Run run = testfiles::RunCommand(
        Quoted(testfiles::ReportProgram().string()) + " --reference-each-segment --details " +
            "--reference " + Quoted(reference) + " --csv " + Quoted(csv) + " --html " +
            Quoted(html) + " " + Quoted(log),
        folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string out = run.out;
    // Segment 2 read "hello word again" for "hello world": one substitution, one insertion.
    for (const char* part :
         {"each segment", "Speed against accuracy", "l.txt        1       0.500    0.0%",
          "l.txt        2       0.250  100.0%", "l.txt        3       0.100   50.0%",
          // The log's own utterance numbers, and the segment.
          "2                5   sub      world       again",
          "3                1   sub      hello      yellow"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    size_t warnings = 0;
    for (size_t at = run.err.find("left out of the figures"); at != std::string::npos;
         at = run.err.find("left out of the figures", at + 1))
        ++warnings;
    EXPECT_EQ(warnings, 2u) << run.err;
    EXPECT_NE(out.find("2 unfinished utterance block(s) left out"), std::string::npos);
    std::string rows = testfiles::Read(csv);
    EXPECT_NE(rows.find("\r\nl.txt,all,,5,7,1.4,1,2,1.0,0.100,0.250,0.400,0.490,0.500,0.270,"
                        "28.6%,2,"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(",2,3,1,1,0,1,100.0%,each segment"), std::string::npos) << rows;
    std::string page = testfiles::Read(html);
    EXPECT_NE(page.find("<td>28.6%</td><td>2</td>"), std::string::npos);
    EXPECT_NE(page.find("id=\"trade-off\""), std::string::npos);
}
