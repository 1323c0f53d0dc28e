// What a session log holds once read: its segments (split by Reset All and by session
// starts) with each complete utterance's figures, and the recognised words when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "line_splitter.h"
#include "log_encoding.h"
#include "log_parser.h"
#include "score_histogram.h"

// 24 bytes, the double first: a log holds one per utterance.
struct UtteranceFigures
{
    double realTimeFactor = 0;
    int32_t number = 0;
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

// A segment's summary; its utterances are a run of the log's list.
struct Segment
{
    size_t firstLine = 0;
    size_t firstUtterance = 0; // in LogContent::utterances
    size_t utteranceCount = 0;
    size_t dropped = 0; // blocks left unfinished
    SegmentScores scores;

    bool Empty() const { return utteranceCount == 0 && dropped == 0; }
};

// The segments of a log in file order, each packed into a few bytes: its counts are mostly
// small, and in a log of a segment per utterance the pages of 88-byte segments cost more time
// than reading the file. Walked in order; looked up by number from a mark every few segments.
class SegmentList
{
public:
    class Iterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Segment;
        using difference_type = std::ptrdiff_t;
        using pointer = const Segment*;
        using reference = const Segment&;

        const Segment& operator*() const { return segment_; }
        const Segment* operator->() const { return &segment_; }
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return index_ == other.index_; }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        friend class SegmentList;
        // before: the segment before index, or none.
        Iterator(const SegmentList& list, size_t index, size_t chunk, size_t offset,
                 const Segment& before);
        void Read();

        const SegmentList* list_;
        size_t index_;
        size_t chunk_;
        size_t offset_; // in the chunk, where the next segment starts
        Segment segment_;
    };

    SegmentList() = default;
    SegmentList(std::initializer_list<Segment> segments);
    // Its line and utterances follow those of the one before.
    void push_back(const Segment& segment);
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Iterator begin() const;
    Iterator end() const;
    Segment operator[](size_t index) const;

private:
    // Where every kMarkEvery-th segment starts, and the one before it.
    struct Mark
    {
        size_t chunk = 0;
        size_t offset = 0;
        Segment before;
    };
    static constexpr size_t kChunk = 1 << 16;
    static constexpr size_t kMarkEvery = 64;
    // At least the bytes of any segment: one never runs over the end of its chunk.
    static constexpr size_t kLongestPacked = 4 * 10 + 2 + 13 * 5;

    // Each filled to where its last segment ends, never grown past kChunk.
    std::vector<std::vector<uint8_t>> chunks_;
    std::vector<Mark> marks_;
    size_t size_ = 0;
    Segment last_;
};

// Deques: a log of many utterances or segments grows them without copying them all, and
// without touching twice their memory while they do.
using UtteranceList = std::deque<UtteranceFigures>;

// The utterances of a segment, in file order.
class UtteranceRun
{
public:
    UtteranceRun(UtteranceList::const_iterator first, size_t count) : first_(first), count_(count)
    {}
    UtteranceList::const_iterator begin() const { return first_; }
    UtteranceList::const_iterator end() const
    {
        return first_ + static_cast<std::ptrdiff_t>(count_);
    }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const UtteranceFigures& operator[](size_t i) const
    {
        return first_[static_cast<std::ptrdiff_t>(i)];
    }

private:
    UtteranceList::const_iterator first_;
    size_t count_;
};

struct LogContent
{
    // Only those with an utterance, complete or dropped.
    SegmentList segments;
    // Every complete utterance, in file order.
    UtteranceList utterances;
    // Of every complete utterance: exact however many words a segment holds.
    ScoreHistogram scores;
    std::vector<RecognisedWord> words;
    std::vector<LogProblem> warnings;
    size_t lines = 0;

    UtteranceRun UtterancesOf(const Segment& segment) const
    {
        return {utterances.begin() + static_cast<std::ptrdiff_t>(segment.firstUtterance),
                segment.utteranceCount};
    }
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
    // Keeps the last segment when it holds anything.
    void Finish();

private:
    // Ends the open segment, kept when it holds anything, and opens the next.
    void NewSegment();
    // The segment an utterance block goes to; the first such block gives its line.
    Segment& SegmentOfBlock();

    LogContent& content_;
    Segment open_;
    bool keepWords_;
    UtteranceFigures pending_;
    SegmentScores pendingScores_;
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
