#include "log_content.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "file_access.h"

LogCollector::LogCollector(LogContent& content, bool keepWords)
    : content_(content), keepWords_(keepWords)
{
    NewSegment();
}

void LogCollector::NewSegment()
{
    if (content_.segments.empty() || !content_.segments.back().Empty())
        content_.segments.emplace_back();
    content_.segments.back().firstUtterance = content_.utterances.size();
}

Segment& LogCollector::SegmentOfBlock()
{
    Segment& segment = content_.segments.back();
    if (segment.Empty())
        segment.firstLine = pendingLine_;
    return segment;
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
    if (!content_.segments.empty() && content_.segments.back().Empty())
        content_.segments.pop_back();
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
