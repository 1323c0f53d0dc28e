#include "log_content.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "file_access.h"
#include "line_splitter.h"

LogCollector::LogCollector(LogContent& content, bool keepWords)
    : content_(content), keepWords_(keepWords)
{
    NewSegment();
}

void LogCollector::NewSegment()
{
    content_.segments.emplace_back();
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
    pendingScores_ = ScoreHistogram{};
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
    Segment& segment = content_.segments.back();
    if (segment.utterances.empty() && segment.dropped == 0)
        segment.firstLine = pendingLine_;
    segment.utterances.push_back(pending_);
    segment.scores += pendingScores_;
    ++complete_;
}

void LogCollector::UtteranceDropped()
{
    Segment& segment = content_.segments.back();
    if (segment.utterances.empty() && segment.dropped == 0)
        segment.firstLine = pendingLine_;
    ++segment.dropped;
    content_.words.resize(pendingWords_);
}

void LogCollector::Finish()
{
    auto& segments = content_.segments;
    segments.erase(std::remove_if(segments.begin(), segments.end(),
                                  [](const Segment& segment) {
                                      return segment.utterances.empty() && segment.dropped == 0;
                                  }),
                   segments.end());
}

bool ReadLog(const std::string& path, bool keepWords, LogContent& content, std::string& message)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), &std::fclose);
    if (!file) {
        message = path + ": cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    LogCollector collector(content, keepWords);
    LogParser parser(collector);
    LineSplitter splitter;
    std::vector<char> buffer(1 << 20);
    bool fits = true;
    for (;;) {
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got > 0)
            fits = splitter.Feed(std::string_view(buffer.data(), got),
                                 [&](std::string_view line) { return parser.Line(line); });
        if (!fits || got == 0)
            break;
    }
    if (fits && std::ferror(file.get())) {
        message = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    if (splitter.TooLong()) {
        message = path + ":" + std::to_string(parser.LinesRead() + 1) +
                  ": expected a line of the session log, found a line longer than " +
                  std::to_string(kLongestLine) + " bytes (this is not a session log)";
        return false;
    }
    if (!fits) {
        message = path + ":" + std::to_string(parser.Error().line) + ": " + parser.Error().text;
        return false;
    }
    parser.End(splitter.Remainder());
    collector.Finish();
    content.warnings = parser.Warnings();
    content.lines = parser.LinesRead();
    return true;
}
