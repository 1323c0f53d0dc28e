// Reads the lines of a session log as the program writes them: start line, banner, utterance
// blocks, Reset All, save markers, in any order and number. Nothing is guessed: a line that
// does not fit is an error naming its number and what was expected. A block left unfinished
// (its analysis failed, or the file ends inside it) is dropped with a warning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct UtteranceOpening
{
    int32_t number = 0;
    double realTimeFactor = 0;
    int32_t alternates = 0;
    int32_t wordCount = 0;
    size_t line = 0;
};

struct UtteranceClosing
{
    int32_t maximumScore = 0;
    int32_t minimumScore = 0;
    int32_t averageScore = 0;
};

// What the parser finds, in file order. Words arrive between an opening and its closing or
// its drop.
class LogEvents
{
public:
    virtual ~LogEvents() = default;
    // Both start a new segment: the program's totals start again from nothing.
    virtual void SessionStarted(std::string_view line) = 0;
    virtual void ResetPressed() = 0;
    virtual void UtteranceOpened(const UtteranceOpening& opening) = 0;
    virtual void Word(int32_t score, std::string_view text) = 0;
    virtual void UtteranceClosed(const UtteranceClosing& closing) = 0;
    // The opened block ends unfinished; its words do not count.
    virtual void UtteranceDropped() = 0;
};

struct LogProblem
{
    size_t line = 0;
    std::string text; // UTF-8
};

class LogParser
{
public:
    explicit LogParser(LogEvents& events) : events_(events) {}

    // One line, without its line end. False when it does not fit; Error() says why, and the
    // parser takes no more lines.
    bool Line(std::string_view line);
    // The end of the file, with the bytes after the last line end (empty when it ended with
    // a line end).
    void End(std::string_view remainder);

    const LogProblem& Error() const { return error_; }
    const std::vector<LogProblem>& Warnings() const { return warnings_; }
    size_t LinesRead() const { return lineNumber_; }
    // Start lines, banners, blocks, Reset All and save markers begun: none in a file that is
    // no session log.
    size_t ItemsSeen() const { return items_; }

private:
    enum class Expect
    {
        Item,
        BannerEnd,
        WordCount,
        WordsBlank,
        Words,
        Maximum,
        Minimum,
        Average,
        Rule,
        BlockEnd,
        ResetBlank,
        ResetRule,
        ResetEnd,
        SavedAt,
        SaveRule,
    };

    bool Item(std::string_view line);
    bool BlockLine(std::string_view line);
    bool WordLine(std::string_view line);
    // A line that begins what the program writes after a block (its next block, Reset All, a
    // session start).
    bool StartsNextItem(std::string_view line) const;
    // The open block stopped before line: dropped, and line read as what it is.
    bool Stopped(std::string_view line);
    bool Fail(std::string_view expected, std::string_view found);
    bool Mismatch(const std::string& what);
    void Warn(size_t line, const std::string& text);
    void DropBlock(const std::string& why);

    LogEvents& events_;
    Expect expect_ = Expect::Item;
    size_t lineNumber_ = 0;
    size_t items_ = 0;
    LogProblem error_;
    std::vector<LogProblem> warnings_;

    // The block being read, and what its closing lines must agree with.
    UtteranceOpening opening_;
    int32_t wordsSeen_ = 0;
    int32_t scoreSum_ = 0;
    int32_t maximum_ = 0;
    int32_t minimum_ = 0;
    int32_t statedMaximum_ = 0;
    int32_t statedMinimum_ = 0;
    // Utterance numbers only grow within a segment; 0 before the first.
    int32_t lastNumber_ = 0;
};

// A line's text for a message: quoted, cut, control bytes escaped, Latin-1 shown as UTF-8.
std::string QuotedLine(std::string_view line);
