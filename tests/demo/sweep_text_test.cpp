#include "sweep_text.h"

#include <gtest/gtest.h>

using demo::LoggedUtterance;
using demo::ParseLoggedUtterances;
using demo::PositionRun;
using demo::ReferenceFile;

namespace {

// An utterance as the program logs it.
std::string Logged(int number, const char* rtf, const std::vector<std::string>& wordLines)
{
    std::string text = "Utterance #: " + std::to_string(number) + "      RTF: " + rtf +
                       "      1 alternate phrases in result\r\n" +
                       std::to_string(wordLines.size()) +
                       " words in utterance, each with individual confidence scores:\r\n\r\n";
    for (const std::string& line : wordLines)
        text += line + "\r\n";
    return text +
           "\r\n90 : x <---> Maximum Score\r\n10 : y <---> Minimum Score\r\n"
           "50 : <---> Average Score\r\n" +
           std::string(49, '-') + "\r\n\r\n";
}

std::string Words(const LoggedUtterance& utterance)
{
    std::string text;
    for (const auto& word : utterance.words)
        text += "[" + std::to_string(word.score) + " " + word.text + "]";
    return text;
}

TEST(DemoLogParsing, ReadsEachUtterancesNumberRtfAndWords)
{
    const struct
    {
        const char* name;
        std::string log;
        std::vector<std::string> expected; // number rtf words, per utterance
    } cases[] = {
        {"empty", "", {}},
        {"header only", "Session started\r\nCPU: x\r\n", {}},
        {"one", Logged(1, "0.250", {"98 : please", "-3 : call"}), {"1 0.250 [98 please][-3 call]"}},
        {"no words", Logged(1, "inf", {}), {"1 inf "}},
        {"word holding the separator",
         Logged(2, "1.000", {"7 : a : b", "5 : "}),
         {"2 1.000 [7 a : b][5 ]"}},
        {"after a reset",
         Logged(1, "0.1", {"1 : a"}) + "Reset All pressed.\r\n\r\n" + Logged(1, "0.2", {"2 : b"}),
         {"1 0.1 [1 a]", "1 0.2 [2 b]"}},
        {"LF endings",
         "Utterance #: 3      RTF: 0.5      1 alternate phrases in result\n"
         "1 words in utterance, each with individual confidence scores:\n\n"
         "40 : fox\n\n",
         {"3 0.5 [40 fox]"}},
        // A summary line after the words is not a word even though it has " : ".
        {"extremes not words", Logged(1, "0.3", {"9 : dog"}), {"1 0.3 [9 dog]"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const LoggedUtterance& u : ParseLoggedUtterances(c.log))
            got.push_back(std::to_string(u.number) + " " + u.rtf + " " + Words(u));
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(DemoReferences, KeepsTheNonEmptyLinesWithoutTheirEndings)
{
    EXPECT_EQ(demo::ReferenceSentences("One.\r\nTwo two.\n\nThree\n"),
              (std::vector<std::string>{"One.", "Two two.", "Three"}));
    EXPECT_TRUE(demo::ReferenceSentences("").empty());
}

LoggedUtterance Utterance(std::vector<std::pair<int, std::string>> words)
{
    LoggedUtterance u;
    for (auto& [score, text] : words)
        u.words.push_back({score, text});
    return u;
}

TEST(DemoWordsSideBySide, EachFilesSentencesWithEveryPositionsWordsBelow)
{
    std::vector<ReferenceFile> files = {{"a.wav", {"Hello there.", "Good day."}},
                                        {"b.wav", {"Bye."}}};
    PositionRun fast{
        "slider 0", {Utterance({{90, "hello"}}), Utterance({}), Utterance({{12, "pie"}})}, {2, 1}};
    PositionRun accurate{"slider 100",
                         {Utterance({{99, "hello"}, {80, "there"}}),
                          Utterance({{70, "good"}, {65, "day"}}), Utterance({{95, "bye"}})},
                         {2, 1}};
    EXPECT_EQ(demo::WordsSideBySide(files, {fast, accurate}), "a.wav\n"
                                                              "  said       | Hello there.\n"
                                                              "  slider 0   | hello 90\n"
                                                              "  slider 100 | hello 99  there 80\n"
                                                              "  said       | Good day.\n"
                                                              "  slider 0   | (no words)\n"
                                                              "  slider 100 | good 70  day 65\n"
                                                              "\n"
                                                              "b.wav\n"
                                                              "  said       | Bye.\n"
                                                              "  slider 0   | pie 12\n"
                                                              "  slider 100 | bye 95\n"
                                                              "\n");
}

// A file split into more utterances than it has sentences, or fewer, keeps the later files'
// utterances under their own names.
TEST(DemoWordsSideBySide, UnevenSplitsStayWithTheirFiles)
{
    std::vector<ReferenceFile> files = {{"a.wav", {"One."}}, {"b.wav", {"Two.", "Three."}}};
    PositionRun run{
        "p", {Utterance({{1, "on"}}), Utterance({{2, "e"}}), Utterance({{3, "two"}})}, {2, 1}};
    EXPECT_EQ(demo::WordsSideBySide(files, {run}), "a.wav\n"
                                                   "  said | One.\n"
                                                   "  p    | on 1\n"
                                                   "  p    | e 2\n"
                                                   "\n"
                                                   "b.wav\n"
                                                   "  said | Two.\n"
                                                   "  p    | two 3\n"
                                                   "  said | Three.\n"
                                                   "\n");
}

} // namespace
