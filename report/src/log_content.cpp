#include "log_content.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "file_access.h"

namespace {

// Counts and the differences from one segment to the next, seven bits a byte.
void Pack(uint8_t*& at, uint64_t value)
{
    while (value >= 0x80) {
        *at++ = static_cast<uint8_t>(value | 0x80);
        value >>= 7;
    }
    *at++ = static_cast<uint8_t>(value);
}

uint64_t Unpack(const uint8_t*& at)
{
    uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        uint8_t byte = *at++;
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return value;
    }
}

// The counts of a segment's scores: the bins, those below 0 and above 100, those under 50.
constexpr size_t kScoreCounts = kScoreBins + 3;

template <class Scores> auto& ScoreCount(Scores& scores, size_t i)
{
    return i < kScoreBins        ? scores.bins[i]
           : i == kScoreBins     ? scores.below
           : i == kScoreBins + 1 ? scores.above
                                 : scores.under50;
}

// A segment after the one before: its lines and utterances as differences, its scores as the
// counts that are not 0 after a mask of which they are. Returns past its last byte.
uint8_t* PackSegment(uint8_t* at, const Segment& before, const Segment& segment)
{
    Pack(at, segment.firstLine - before.firstLine);
    Pack(at, segment.firstUtterance - (before.firstUtterance + before.utteranceCount));
    Pack(at, segment.utteranceCount);
    Pack(at, segment.dropped);
    uint32_t mask = 0;
    for (size_t i = 0; i < kScoreCounts; ++i)
        if (ScoreCount(segment.scores, i) != 0)
            mask |= uint32_t{1} << i;
    Pack(at, mask);
    for (size_t i = 0; i < kScoreCounts; ++i)
        if (ScoreCount(segment.scores, i) != 0)
            Pack(at, ScoreCount(segment.scores, i));
    return at;
}

const uint8_t* UnpackSegment(const uint8_t* at, Segment& segment)
{
    // Sizes wrap as they did when packed.
    segment.firstLine += static_cast<size_t>(Unpack(at));
    segment.firstUtterance += segment.utteranceCount + static_cast<size_t>(Unpack(at));
    segment.utteranceCount = static_cast<size_t>(Unpack(at));
    segment.dropped = static_cast<size_t>(Unpack(at));
    uint64_t mask = Unpack(at);
    segment.scores = SegmentScores{};
    for (size_t i = 0; i < kScoreCounts; ++i)
        if (mask & (uint64_t{1} << i))
            ScoreCount(segment.scores, i) = static_cast<uint32_t>(Unpack(at));
    return at;
}

} // namespace

SegmentList::SegmentList(std::initializer_list<Segment> segments)
{
    for (const Segment& segment : segments)
        push_back(segment);
}

void SegmentList::push_back(const Segment& segment)
{
    if (chunks_.empty() || chunks_.back().size() + kLongestPacked > kChunk) {
        chunks_.emplace_back();
        chunks_.back().reserve(kChunk);
    }
    std::vector<uint8_t>& chunk = chunks_.back();
    size_t start = chunk.size();
    if (size_ % kMarkEvery == 0)
        marks_.push_back({chunks_.size() - 1, start, last_});
    chunk.resize(start + kLongestPacked);
    chunk.resize(
        static_cast<size_t>(PackSegment(chunk.data() + start, last_, segment) - chunk.data()));
    last_ = segment;
    ++size_;
}

SegmentList::Iterator::Iterator(const SegmentList& list, size_t index, size_t chunk, size_t offset,
                                const Segment& before)
    : list_(&list), index_(index), chunk_(chunk), offset_(offset), segment_(before)
{
    Read();
}

void SegmentList::Iterator::Read()
{
    if (index_ >= list_->size_)
        return;
    if (offset_ == list_->chunks_[chunk_].size()) {
        ++chunk_;
        offset_ = 0;
    }
    const uint8_t* start = list_->chunks_[chunk_].data() + offset_;
    offset_ += static_cast<size_t>(UnpackSegment(start, segment_) - start);
}

SegmentList::Iterator& SegmentList::Iterator::operator++()
{
    ++index_;
    Read();
    return *this;
}

SegmentList::Iterator SegmentList::begin() const
{
    return Iterator(*this, 0, 0, 0, Segment{});
}

SegmentList::Iterator SegmentList::end() const
{
    return Iterator(*this, size_, 0, 0, last_);
}

Segment SegmentList::operator[](size_t index) const
{
    const Mark& mark = marks_[index / kMarkEvery];
    Iterator it(*this, index - index % kMarkEvery, mark.chunk, mark.offset, mark.before);
    while (it.index_ < index)
        ++it;
    return *it;
}

LogCollector::LogCollector(LogContent& content, bool keepWords)
    : content_(content), keepWords_(keepWords)
{
    NewSegment();
}

void LogCollector::NewSegment()
{
    if (!open_.Empty())
        content_.segments.push_back(open_);
    open_ = Segment{};
    open_.firstUtterance = content_.utterances.size();
}

Segment& LogCollector::SegmentOfBlock()
{
    if (open_.Empty())
        open_.firstLine = pendingLine_;
    return open_;
}

void LogCollector::SessionStarted(std::string_view)
{
    NewSegment();
}

void LogCollector::ResetPressed()
{
    NewSegment();
}

void LogCollector::UtteranceOpened(const UtteranceOpening& opening)
{
    pending_ = UtteranceFigures{};
    pending_.number = opening.number;
    pending_.realTimeFactor = opening.realTimeFactor;
    pending_.alternates = opening.alternates;
    pendingScores_ = SegmentScores{};
    pendingWords_ = content_.words.size();
    pendingLine_ = opening.line;
}

void LogCollector::Word(int32_t score, std::string_view text)
{
    ++pending_.words;
    pendingScores_.Add(score);
    if (keepWords_)
        content_.words.push_back({std::string(text), score, complete_});
}

void LogCollector::UtteranceClosed(const UtteranceClosing& closing)
{
    pending_.averageScore = closing.averageScore;
    Segment& segment = SegmentOfBlock();
    content_.utterances.push_back(pending_);
    ++segment.utteranceCount;
    segment.scores += pendingScores_;
    content_.scores += pendingScores_;
    ++complete_;
}

void LogCollector::UtteranceDropped()
{
    ++SegmentOfBlock().dropped;
    content_.words.resize(pendingWords_);
}

void LogCollector::Finish()
{
    NewSegment();
}

LogReading::LogReading(LogContent& content, bool keepWords)
    : content_(content), collector_(content, keepWords), parser_(collector_)
{}

bool LogReading::Feed(std::string_view bytes)
{
    encoding_.Feed(bytes);
    // Lines are looked at for NUL bytes only from the first piece that holds one: the same
    // line is told whatever the pieces.
    if (!nulSeen_)
        nulSeen_ = std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
    return splitter_.Feed(bytes, [&](std::string_view line) {
        // A converted log is told by what it is, not by its first line that does not fit.
        if ((nulSeen_ || parser_.LinesRead() == 0) && !encoding_.Line(line)) {
            notALog_ = encoding_.Problem();
            return false;
        }
        return parser_.Line(line);
    });
}

bool LogReading::Finish()
{
    notALog_ = encoding_.ProblemAtEnd();
    if (notALog_.empty() && parser_.ItemsSeen() == 0)
        notALog_ = "holds no line of a session log (no session start line, utterance block, "
                   "Reset All or save marker)";
    parser_.End(splitter_.Remainder());
    collector_.Finish();
    content_.warnings = parser_.Warnings();
    std::stable_sort(content_.warnings.begin(), content_.warnings.end(),
                     [](const LogProblem& a, const LogProblem& b) { return a.line < b.line; });
    content_.lines = parser_.LinesRead();
    return notALog_.empty();
}

std::string LogReading::Problem() const
{
    if (!notALog_.empty())
        return " " + notALog_;
    if (splitter_.TooLong())
        return std::to_string(parser_.LinesRead() + 1) +
               ": expected a line of a session log, found a line longer than " +
               std::to_string(kLongestLine) + " bytes";
    return std::to_string(parser_.Error().line) + ": " + parser_.Error().text;
}

bool ReadLog(const std::string& path, bool keepWords, LogContent& content, std::string& message)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), &std::fclose);
    if (!file) {
        message = path + ": cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    LogReading reading(content, keepWords);
    // Small enough that its pages cost little to touch, large enough for few reads.
    std::vector<char> buffer(1 << 17);
    for (;;) {
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got == 0)
            break;
        if (!reading.Feed(std::string_view(buffer.data(), got))) {
            message = path + ":" + reading.Problem();
            return false;
        }
    }
    if (std::ferror(file.get())) {
        message = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    if (!reading.Finish()) {
        message = path + ":" + reading.Problem();
        return false;
    }
    return true;
}
