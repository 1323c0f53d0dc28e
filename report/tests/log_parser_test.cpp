// Reading logs: every kind of line the program writes, logs cut short, and lines that do not
// fit, fed in pieces of several sizes so that no line end is missed at a piece's edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "log_builder.h"
#include "log_content.h"

using namespace testlog;

namespace {

struct Outcome
{
    bool ok = false;
    std::string problem;
    LogContent content;
};

Outcome Read(const std::string& bytes, size_t piece)
{
    Outcome outcome;
    LogReading reading(outcome.content, true);
    for (size_t at = 0; at < bytes.size(); at += piece)
        if (!reading.Feed(std::string_view(bytes).substr(at, piece))) {
            outcome.problem = reading.Problem();
            return outcome;
        }
    reading.Finish();
    outcome.ok = true;
    return outcome;
}

// The same outcome whatever the piece size; returns the whole-buffer one.
Outcome ReadInPieces(const std::string& bytes)
{
    Outcome whole = Read(bytes, bytes.size() + 1);
    for (size_t piece : {1, 2, 7, 64}) {
        Outcome pieces = Read(bytes, piece);
        EXPECT_EQ(pieces.ok, whole.ok) << piece;
        EXPECT_EQ(pieces.problem, whole.problem) << piece;
        EXPECT_EQ(pieces.content.segments.size(), whole.content.segments.size()) << piece;
        EXPECT_EQ(pieces.content.words.size(), whole.content.words.size()) << piece;
        EXPECT_EQ(pieces.content.warnings.size(), whole.content.warnings.size()) << piece;
    }
    return whole;
}

std::vector<size_t> UtterancesPerSegment(const LogContent& content)
{
    std::vector<size_t> counts;
    for (const Segment& segment : content.segments)
        counts.push_back(segment.utteranceCount);
    return counts;
}

const Words kThree{{80, "one"}, {60, "two"}, {40, "three"}};

std::string TwoSegments()
{
    return StartLines() + Block(1, "0.250", 3, kThree) + Block(2, "1.500", 1, {{95, "four"}}) +
           ResetLines() + Block(1, "0.125", 2, {{10, "five"}, {20, "six"}}) + SaveMarker();
}

} // namespace

TEST(Parser, ReadsWhatTheProgramWrites)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::vector<size_t> utterances; // per segment
        size_t words;
    } cases[] = {
        {"two segments", TwoSegments(), {2, 1}, 6},
        {"LF alone", ToLf(TwoSegments()), {2, 1}, 6},
        {"empty file", "", {}, 0},
        {"only start lines", StartLines(), {}, 0},
        {"a save with nothing new", SaveMarker(), {}, 0},
        {"the stretch after a save starts mid-session",
         Block(7, "0.300", 1, kThree) + SaveMarker(),
         {1},
         3},
        {"reset twice, a session started again",
         StartLines() + Block(1, "0.100", 1, kThree) + ResetLines() + ResetLines() + StartLines() +
             Block(1, "0.100", 1, kThree),
         {1, 1},
         6},
        {"no words", StartLines() + Block(1, "0.100", 1, {}), {1}, 0},
        {"not finite and negative factors",
         Block(1, "inf", 1, kThree) + Block(2, "nan", 1, kThree) + Block(3, "-nan", 1, kThree) +
             Block(4, "-0.500", 1, kThree) + Block(5, "-inf", 1, kThree) +
             Block(6, "-nan(ind)", 1, kThree) + Block(7, "-0.000", 1, kThree),
         {7},
         21},
        {"scores outside 0 to 100", Block(1, "0.100", 1, {{-5, "below"}, {150, "above"}}), {1}, 2},
        {"a number gap left by a failed analysis",
         Block(1, "0.100", 1, kThree) + Block(3, "0.100", 1, kThree),
         {2},
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = ReadInPieces(c.bytes);
        ASSERT_TRUE(outcome.ok) << outcome.problem;
        EXPECT_EQ(UtterancesPerSegment(outcome.content), c.utterances);
        EXPECT_EQ(outcome.content.words.size(), c.words);
        EXPECT_TRUE(outcome.content.warnings.empty());
    }
}

TEST(Parser, KeepsTheFiguresOfEachUtterance)
{
    Outcome outcome = ReadInPieces(TwoSegments());
    ASSERT_TRUE(outcome.ok) << outcome.problem;
    const UtteranceFigures& first = outcome.content.utterances[0];
    EXPECT_EQ(first.number, 1);
    EXPECT_DOUBLE_EQ(first.realTimeFactor, 0.25);
    EXPECT_EQ(first.words, 3);
    EXPECT_EQ(first.alternates, 3);
    EXPECT_EQ(first.averageScore, 60);
    EXPECT_EQ(outcome.content.segments[1].firstLine, 30u);
    EXPECT_EQ(outcome.content.segments[0].scores.under50, 1);
    EXPECT_EQ(outcome.content.words[5].text, "six");
    EXPECT_EQ(outcome.content.words[5].utterance, 2u);

    Outcome factors = ReadInPieces(Block(1, "inf", 1, kThree) + Block(2, "-nan", 1, kThree));
    ASSERT_TRUE(factors.ok);
    EXPECT_TRUE(std::isinf(factors.content.utterances[0].realTimeFactor));
    EXPECT_TRUE(std::isnan(factors.content.utterances[1].realTimeFactor));
}

TEST(Parser, TakesWordTextsAsTheyStand)
{
    // A line feed inside a word is no line end where lines end in CR LF; a word cut with its
    // line at 259 characters takes the label of the maximum and minimum lines with it.
    std::string cut = "77 : " + std::string(254, 'x');
    std::string bytes =
        CrLf({"Utterance #: 1      RTF: 0.100      1 alternate phrases in result",
              "2 words in utterance, each with individual confidence scores:", "",
              "50 : two\nlines", cut, "", cut, "50 : two\nlines <---> Minimum Score",
              "63 : <---> Average Score", std::string(49, '-'), ""}) +
        CrLf({"Utterance #: 2      RTF: 0.100      1 alternate phrases in result",
              "1 words in utterance, each with individual confidence scores:", "",
              "40 : caf\xe9 : au lait", "", "40 : caf\xe9 : au lait <---> Maximum Score",
              "40 : caf\xe9 : au lait <---> Minimum Score", "40 : <---> Average Score",
              std::string(49, '-'), ""});
    Outcome outcome = ReadInPieces(bytes);
    ASSERT_TRUE(outcome.ok) << outcome.problem;
    ASSERT_EQ(outcome.content.words.size(), 3u);
    EXPECT_EQ(outcome.content.words[0].text, "two\nlines");
    EXPECT_EQ(outcome.content.words[1].text, std::string(254, 'x'));
    EXPECT_EQ(outcome.content.words[2].text, "caf\xe9 : au lait");
}

TEST(Parser, ALogCutShortIsReadToItsLastCompleteBlock)
{
    std::string complete = StartLines() + Block(1, "0.250", 3, kThree);
    std::string second = Block(2, "0.500", 1, kThree);
    size_t wordsAt = second.find("60 : two");
    struct Case
    {
        const char* name;
        std::string bytes;
        size_t utterances;
        size_t dropped;
        size_t warningLine;
        const char* warning;
    } cases[] = {
        {"inside the words", complete + second.substr(0, wordsAt), 1, 1, 16,
         "utterance 2 is cut short at the end of the file"},
        {"inside a word line", complete + second.substr(0, wordsAt + 3), 1, 1, 20,
         "the last line has no line end"},
        {"after the opening line", complete + second.substr(0, second.find("3 words")), 1, 1, 16,
         "utterance 2 is cut short"},
        {"a failed analysis right after the opening line",
         complete + second.substr(0, second.find("3 words")) + Block(3, "0.100", 1, kThree), 2, 1,
         16, "utterance 2 stops after 0 of its words"},
        {"a failed analysis right after the opening line, then a save",
         complete + second.substr(0, second.find("3 words")) + SaveMarker(), 1, 1, 16,
         "utterance 2 stops after 0 of its words"},
        {"a failed analysis after the word count",
         complete + second.substr(0, second.find("\r\n\r\n") + 2) + ResetLines(), 1, 1, 16,
         "utterance 2 stops after 0 of its 3 words"},
        {"a block of no words whose analysis failed",
         complete +
             Block(2, "0.500", 1, {}).substr(0, Block(2, "0.500", 1, {}).find("\r\n\r\n") + 4) +
             Block(3, "0.100", 1, kThree),
         2, 1, 16, "utterance 2 stops after 0 of its 0 words"},
        {"inside the closing lines", complete + second.substr(0, second.find("----")), 1, 1, 16,
         "utterance 2 is cut short"},
        {"inside Reset All", complete + ResetLines().substr(0, 20), 1, 0, 16,
         "the file ends inside the Reset All lines"},
        {"inside the save marker", complete + SaveMarker().substr(0, 10), 1, 0, 17,
         "the last line has no line end"},
        {"a failed analysis then the next block",
         complete + second.substr(0, wordsAt) + Block(3, "0.100", 1, kThree), 2, 1, 16,
         "utterance 2 stops after 1 of its 3 words"},
        {"a failed analysis then Reset All", complete + second.substr(0, wordsAt) + ResetLines(), 1,
         1, 16, "utterance 2 stops after 1 of its 3 words"},
        {"a failed analysis then a save", complete + second.substr(0, wordsAt) + SaveMarker(), 1, 1,
         16, "stops after 1 of its 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = ReadInPieces(c.bytes);
        ASSERT_TRUE(outcome.ok) << outcome.problem;
        size_t utterances = 0, dropped = 0;
        for (const Segment& segment : outcome.content.segments) {
            utterances += segment.utteranceCount;
            dropped += segment.dropped;
        }
        EXPECT_EQ(utterances, c.utterances);
        EXPECT_EQ(dropped, c.dropped);
        // The dropped block's words are not kept.
        EXPECT_EQ(outcome.content.words.size(), 3 * c.utterances);
        auto warning = std::find_if(
            outcome.content.warnings.begin(), outcome.content.warnings.end(),
            [&](const LogProblem& w) { return w.text.find(c.warning) != std::string::npos; });
        ASSERT_NE(warning, outcome.content.warnings.end());
        EXPECT_EQ(warning->line, c.warningLine);
    }
}

TEST(Parser, ALineThatDoesNotFitIsAnErrorNamingItsLineAndWhatWasExpected)
{
    std::string start = StartLines();
    std::string block = Block(1, "0.250", 3, kThree);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = block;
        text.replace(text.find(from), from.size(), to);
        return start + text;
    };
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string problem; // the start of Problem()
    } cases[] = {
        {"unknown line", start + "hello\r\n", "4: expected an utterance block"},
        {"banner without its empty line", CrLf({"Mirelle Log File Service, x", "y"}),
         "2: expected an empty line after the banner"},
        {"two decimals in the factor", replaced("0.250", "0.25"),
         "4: expected \"Utterance #: <n>      RTF: <x.xxx>"},
        {"five blanks before RTF", replaced("      RTF", "     RTF"), "4: expected \"Utterance #:"},
        {"number with a leading zero", replaced("#: 1 ", "#: 01 "), "4: expected \"Utterance #:"},
        {"word count in words", replaced("3 words", "three words"),
         "5: expected \"<n> words in utterance"},
        {"no empty line before the words", replaced("scores:\r\n\r\n", "scores:\r\n"),
         "6: expected an empty line after the word count"},
        {"a word line without its score", replaced("60 : two", "two"),
         "8: expected word line 2 of 3 (\"<score> : <word>\")"},
        {"a word more than counted", replaced("40 : three\r\n", "40 : three\r\n1 : four\r\n"),
         "10: expected an empty line after the 3 word lines"},
        {"maximum not the highest", replaced("80 : one <---> Max", "60 : one <---> Max"),
         "11: maximum score 60 does not agree with the words above it (80)"},
        {"minimum label missing", replaced(" <---> Minimum Score", ""),
         "12: expected \"<score> : <word> <---> Minimum Score\""},
        {"average off by one", replaced("60 : <---> Average", "61 : <---> Average"),
         "13: average score 61 does not agree with the words above it (60)"},
        {"short rule", replaced(std::string(49, '-'), std::string(48, '-')),
         "14: expected a line of 49 hyphens"},
        {"number going back", start + block + Block(1, "0.100", 1, kThree),
         "16: utterance number 1 does not follow utterance 1"},
        {"number 0", start + Block(0, "0.100", 1, kThree), "4: utterance number 0 is below 1"},
        {"save marker at 25 o'clock", start + SaveMarker("25:00:00"),
         "5: expected \"Session saved at: hh:mm:ss\""},
        {"save marker with a short rule", start + CrLf({"", "Session saved at: 10:00:00", "---"}),
         "6: expected a line of 42 hyphens"},
        {"Reset All without its rule", start + CrLf({"Reset All pressed.", "", "x"}),
         "6: expected a line of 49 hyphens after \"Reset All pressed.\""},
        {"a binary file", std::string("\x89PNG\r\n\x1a\n\0\0", 10),
         "1: expected an utterance block"},
        {"one endless line", std::string(100000, 'a'),
         "1: expected a line of a session log, found "
         "a line longer than"},
        {"a score beyond 32 bits", replaced("80 : one\r\n", "2147483648 : one\r\n"),
         "7: expected word line 1 of 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = ReadInPieces(c.bytes);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.problem.substr(0, c.problem.size()), c.problem) << outcome.problem;
    }
}

TEST(Parser, ShowsTheOffendingLineReadably)
{
    EXPECT_EQ(QuotedLine("a\tb\xe9"), "\"a\\x09b\xc3\xa9\"");
    EXPECT_EQ(QuotedLine(std::string(70, 'z')), "\"" + std::string(60, 'z') + "...\"");
}
