// What a session log holds once read: its segments (split by Reset All and by session
// starts) with each complete utterance's figures, and the recognised words when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "line_splitter.h"
#include "log_encoding.h"
#include "log_parser.h"
#include "score_histogram.h"

struct UtteranceFigures
{
    int32_t number = 0;
    double realTimeFactor = 0;
    int32_t words = 0;
    int32_t alternates = 0;
    int32_t averageScore = 0;
};

struct RecognisedWord
{
    std::string text; // as in the log: Latin-1
    int32_t score = 0;
    uint32_t utterance = 0; // index of its utterance among the log's complete ones
};

struct Segment
{
    size_t firstLine = 0;
    std::vector<UtteranceFigures> utterances;
    ScoreHistogram scores;
    size_t dropped = 0; // blocks left unfinished
};

struct LogContent
{
    // Only those with an utterance, complete or dropped. A deque: thousands of segments grow
    // it without copying them all, and without twice their memory while they do.
    std::deque<Segment> segments;
    std::vector<RecognisedWord> words;
    std::vector<LogProblem> warnings;
    size_t lines = 0;
};

// Folds the parser's findings into segments. Words are held only with keepWords: a listing
// of any length is read in constant memory per utterance otherwise.
class LogCollector : public LogEvents
{
public:
    LogCollector(LogContent& content, bool keepWords);

    void SessionStarted(std::string_view line) override;
    void ResetPressed() override;
    void UtteranceOpened(const UtteranceOpening& opening) override;
    void Word(int32_t score, std::string_view text) override;
    void UtteranceClosed(const UtteranceClosing& closing) override;
    void UtteranceDropped() override;
    // Drops the segments that hold nothing.
    void Finish();

private:
    void NewSegment();

    LogContent& content_;
    bool keepWords_;
    UtteranceFigures pending_;
    ScoreHistogram pendingScores_;
    size_t pendingWords_ = 0; // words of the open block already in content_.words
    uint32_t complete_ = 0;
    size_t pendingLine_ = 0;
};

// A log fed in pieces of any size, in one pass.
class LogReading
{
public:
    LogReading(LogContent& content, bool keepWords);
    // False once the bytes do not fit; Problem() then says where and why.
    bool Feed(std::string_view bytes);
    // The end of the log: what is left unfinished becomes a warning. False when the whole
    // turns out to be no session log as the program writes it (Problem() says what it is).
    bool Finish();
    // "<line>: <what was expected, what was found>", or " <what the file is>" for a file that
    // is no session log at all.
    std::string Problem() const;

private:
    LogContent& content_;
    LogEncodingCheck encoding_;
    bool nulSeen_ = false;
    std::string notALog_;
    LogCollector collector_;
    LogParser parser_;
    LineSplitter splitter_;
};

// Reads the whole file in one pass. False when it cannot be read or does not fit; message then
// names the file, the line and what was expected. Warnings go into content.
bool ReadLog(const std::string& path, bool keepWords, LogContent& content, std::string& message);
