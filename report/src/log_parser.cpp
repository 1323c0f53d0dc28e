#include "log_parser.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "measure/utterance_math.h"
#include "text_encoding.h"

namespace {

constexpr std::string_view kStartPrefix = "Mirelle Session Started: ";
constexpr std::string_view kBannerPrefix = "Mirelle Log File Service, ";
constexpr std::string_view kUtterancePrefix = "Utterance #: ";
constexpr std::string_view kRtfLabel = "      RTF: ";
constexpr std::string_view kAlternatesGap = "      ";
constexpr std::string_view kAlternatesText = " alternate phrases in result";
constexpr std::string_view kWordCountText =
    " words in utterance, each with individual confidence scores:";
constexpr std::string_view kScoreGap = " : ";
constexpr std::string_view kMaximumText = " <---> Maximum Score";
constexpr std::string_view kMinimumText = " <---> Minimum Score";
constexpr std::string_view kAverageText = " : <---> Average Score";
constexpr std::string_view kResetText = "Reset All pressed.";
constexpr std::string_view kSavedPrefix = "Session saved at: ";
const std::string kRule49(49, '-');
const std::string kRule42(42, '-');
// The program cuts a report line to this many characters; the label after a long word may be
// cut off with it.
constexpr size_t kCutLine = 259;

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A "%i" number at the front of text, taken off it: an optional minus and digits without
// leading zeros, within 32 bits.
std::optional<int32_t> TakeNumber(std::string_view& text)
{
    size_t length = text.substr(0, 1) == "-" ? 1 : 0;
    size_t digits = 0;
    while (length + digits < text.size() && IsDigit(text[length + digits]))
        ++digits;
    if (digits == 0 || digits > 10 || (digits > 1 && text[length] == '0'))
        return std::nullopt;
    int64_t value = 0;
    for (size_t i = 0; i < digits; ++i)
        value = value * 10 + (text[length + i] - '0');
    if (length == 1)
        value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    if (length == 1 && value == 0)
        return std::nullopt;
    text.remove_prefix(length + digits);
    return static_cast<int32_t>(value);
}

// The whole text as one "%i" number.
std::optional<int32_t> WholeNumber(std::string_view text)
{
    std::optional<int32_t> value = TakeNumber(text);
    if (!value || !text.empty())
        return std::nullopt;
    return value;
}

// "%0.3f" of a double: digits, a point and three decimals, or inf, -inf, nan, -nan.
std::optional<double> RealTimeFactor(std::string_view text)
{
    if (text == "inf")
        return std::numeric_limits<double>::infinity();
    if (text == "-inf")
        return -std::numeric_limits<double>::infinity();
    // The C runtimes differ in how they spell not-a-number.
    for (std::string_view nan : {"nan", "-nan", "nan(ind)", "-nan(ind)", "nan(snan)", "-nan(snan)"})
        if (text == nan)
            return std::numeric_limits<double>::quiet_NaN();
    std::string_view digits = text.substr(0, 1) == "-" ? text.substr(1) : text;
    size_t point = digits.find('.');
    if (point == std::string_view::npos || point == 0 || digits.size() - point != 4 ||
        (point > 1 && digits[0] == '0'))
        return std::nullopt;
    for (size_t i = 0; i < digits.size(); ++i)
        if (i != point && !IsDigit(digits[i]))
            return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsTimeOfDay(std::string_view text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return false;
    for (size_t i : {0, 1, 3, 4, 6, 7})
        if (!IsDigit(text[i]))
            return false;
    return (text[0] - '0') * 10 + (text[1] - '0') < 24 && text[3] < '6' && text[6] < '6';
}

// The text of a "score : text<label>" line after its score, or nothing when the label is
// missing and the line was not cut to the program's limit.
std::optional<std::string_view> LabelledText(std::string_view line, std::string_view rest,
                                             std::string_view label)
{
    if (!StartsWith(rest, kScoreGap))
        return std::nullopt;
    rest.remove_prefix(kScoreGap.size());
    if (EndsWith(rest, label))
        return rest.substr(0, rest.size() - label.size());
    if (line.size() == kCutLine)
        return rest;
    return std::nullopt;
}

} // namespace

std::string QuotedLine(std::string_view line)
{
    constexpr size_t kShown = 60;
    std::string shown = "\"";
    for (size_t i = 0; i < line.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            static const char kHex[] = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 15];
        } else {
            shown += Latin1ToUtf8(line.substr(i, 1));
        }
    }
    if (line.size() > kShown)
        shown += "...";
    return shown + "\"";
}

bool LogParser::Fail(std::string_view expected, std::string_view found)
{
    error_.line = lineNumber_;
    error_.text = "expected " + std::string(expected) + ", found " + QuotedLine(found);
    return false;
}

bool LogParser::Mismatch(const std::string& what)
{
    error_.line = lineNumber_;
    error_.text = what;
    return false;
}

void LogParser::Warn(size_t line, const std::string& text)
{
    warnings_.push_back({line, text});
}

void LogParser::DropBlock(const std::string& why)
{
    Warn(opening_.line, "utterance " + std::to_string(opening_.number) + " " + why +
                            "; it is left out of the figures");
    events_.UtteranceDropped();
}

bool LogParser::StartsNextItem(std::string_view line) const
{
    return StartsWith(line, kUtterancePrefix) || line == kResetText ||
           StartsWith(line, kStartPrefix);
}

bool LogParser::Stopped(std::string_view line)
{
    // Whatever the program wrote after a failed analysis starts at the top level again.
    DropBlock("stops after " + std::to_string(wordsSeen_) + " of its " +
              (expect_ == Expect::WordCount ? std::string("words")
                                            : std::to_string(opening_.wordCount) + " words") +
              " (its analysis failed in the program)");
    expect_ = Expect::Item;
    return Item(line);
}

bool LogParser::Line(std::string_view line)
{
    ++lineNumber_;
    switch (expect_) {
    case Expect::Item: return Item(line);
    case Expect::BannerEnd:
        if (!line.empty())
            return Fail("an empty line after the banner", line);
        expect_ = Expect::Item;
        return true;
    case Expect::ResetBlank:
        if (!line.empty())
            return Fail("an empty line after \"Reset All pressed.\"", line);
        expect_ = Expect::ResetRule;
        return true;
    case Expect::ResetRule:
        if (line != kRule49)
            return Fail("a line of 49 hyphens after \"Reset All pressed.\"", line);
        expect_ = Expect::ResetEnd;
        return true;
    case Expect::ResetEnd:
        if (!line.empty())
            return Fail("an empty line ending the Reset All lines", line);
        expect_ = Expect::Item;
        return true;
    case Expect::SavedAt:
        if (!StartsWith(line, kSavedPrefix) || !IsTimeOfDay(line.substr(kSavedPrefix.size())))
            return Fail("\"Session saved at: hh:mm:ss\" after an empty line", line);
        ++items_;
        expect_ = Expect::SaveRule;
        return true;
    case Expect::SaveRule:
        if (line != kRule42)
            return Fail("a line of 42 hyphens after \"Session saved at:\"", line);
        expect_ = Expect::Item;
        return true;
    default: return BlockLine(line);
    }
}

bool LogParser::Item(std::string_view line)
{
    if (StartsWith(line, kUtterancePrefix)) {
        std::string_view rest = line.substr(kUtterancePrefix.size());
        std::optional<int32_t> number = TakeNumber(rest);
        size_t gap = rest.find(kAlternatesGap, kRtfLabel.size());
        if (!number || !StartsWith(rest, kRtfLabel) || gap == std::string_view::npos)
            return Fail("\"Utterance #: <n>      RTF: <x.xxx>      <n> alternate phrases in "
                        "result\"",
                        line);
        std::optional<double> rtf =
            RealTimeFactor(rest.substr(kRtfLabel.size(), gap - kRtfLabel.size()));
        rest.remove_prefix(gap + kAlternatesGap.size());
        std::optional<int32_t> alternates = TakeNumber(rest);
        if (!rtf || !alternates || rest != kAlternatesText)
            return Fail("\"Utterance #: <n>      RTF: <x.xxx>      <n> alternate phrases in "
                        "result\"",
                        line);
        if (*number < 1)
            return Mismatch("utterance number " + std::to_string(*number) + " is below 1");
        if (*number <= lastNumber_)
            return Mismatch("utterance number " + std::to_string(*number) +
                            " does not follow utterance " + std::to_string(lastNumber_) +
                            " of the same segment (numbers only grow until Reset All)");
        lastNumber_ = *number;
        opening_ = UtteranceOpening{};
        opening_.number = *number;
        opening_.realTimeFactor = *rtf;
        opening_.alternates = *alternates;
        opening_.line = lineNumber_;
        // Announced now, so that a block stopping at any line after this one is dropped.
        events_.UtteranceOpened(opening_);
        wordsSeen_ = 0;
        scoreSum_ = 0;
        maximum_ = 0;
        minimum_ = 999;
        ++items_;
        expect_ = Expect::WordCount;
        return true;
    }
    if (line == kResetText) {
        ++items_;
        events_.ResetPressed();
        lastNumber_ = 0;
        expect_ = Expect::ResetBlank;
        return true;
    }
    if (line.empty()) {
        expect_ = Expect::SavedAt;
        return true;
    }
    if (StartsWith(line, kStartPrefix)) {
        ++items_;
        events_.SessionStarted(line.substr(kStartPrefix.size()));
        lastNumber_ = 0;
        return true;
    }
    if (StartsWith(line, kBannerPrefix)) {
        ++items_;
        expect_ = Expect::BannerEnd;
        return true;
    }
    return Fail("an utterance block (\"Utterance #: ...\"), \"Reset All pressed.\", the save "
                "marker or a session start line",
                line);
}

bool LogParser::WordLine(std::string_view line)
{
    std::string_view rest = line;
    std::optional<int32_t> score = TakeNumber(rest);
    if (!score || !StartsWith(rest, kScoreGap))
        return Fail("word line " + std::to_string(wordsSeen_ + 1) + " of " +
                        std::to_string(opening_.wordCount) + " (\"<score> : <word>\")",
                    line);
    ++wordsSeen_;
    scoreSum_ = WrappingAdd(scoreSum_, *score);
    if (*score > maximum_)
        maximum_ = *score;
    if (*score < minimum_)
        minimum_ = *score;
    events_.Word(*score, rest.substr(kScoreGap.size()));
    return true;
}

bool LogParser::BlockLine(std::string_view line)
{
    switch (expect_) {
    case Expect::WordCount: {
        // An empty line here can only begin the save marker that follows a failed block.
        if (line.empty() || StartsNextItem(line))
            return Stopped(line);
        std::optional<int32_t> count;
        if (EndsWith(line, kWordCountText))
            count = WholeNumber(line.substr(0, line.size() - kWordCountText.size()));
        if (!count)
            return Fail("\"<n> words in utterance, each with individual confidence scores:\"",
                        line);
        opening_.wordCount = *count;
        expect_ = Expect::WordsBlank;
        return true;
    }
    case Expect::WordsBlank:
        if (StartsNextItem(line))
            return Stopped(line);
        if (!line.empty())
            return Fail("an empty line after the word count", line);
        expect_ = Expect::Words;
        return true;
    case Expect::Words:
        if (wordsSeen_ < opening_.wordCount) {
            // Word lines start with their score; whatever else comes while words are still due
            // means a failed analysis stopped the block, and what the program wrote next
            // starts at the top level again.
            if (!line.empty() && (IsDigit(line[0]) || line[0] == '-'))
                return WordLine(line);
            if (line.empty() || StartsNextItem(line))
                return Stopped(line);
            return WordLine(line);
        }
        if (StartsNextItem(line))
            return Stopped(line);
        if (!line.empty())
            return Fail("an empty line after the " + std::to_string(wordsSeen_) + " word lines",
                        line);
        expect_ = Expect::Maximum;
        return true;
    case Expect::Maximum:
    case Expect::Minimum: {
        bool maximum = expect_ == Expect::Maximum;
        std::string_view rest = line;
        std::optional<int32_t> score = TakeNumber(rest);
        if (!score || !LabelledText(line, rest, maximum ? kMaximumText : kMinimumText))
            return Fail(maximum ? "\"<score> : <word> <---> Maximum Score\""
                                : "\"<score> : <word> <---> Minimum Score\"",
                        line);
        int32_t expected = maximum ? maximum_ : minimum_;
        if (*score != expected)
            return Mismatch(std::string(maximum ? "maximum" : "minimum") + " score " +
                            std::to_string(*score) + " does not agree with the words above it (" +
                            std::to_string(expected) + ")");
        (maximum ? statedMaximum_ : statedMinimum_) = *score;
        expect_ = maximum ? Expect::Minimum : Expect::Average;
        return true;
    }
    case Expect::Average: {
        std::optional<int32_t> average;
        if (EndsWith(line, kAverageText))
            average = WholeNumber(line.substr(0, line.size() - kAverageText.size()));
        if (!average)
            return Fail("\"<score> : <---> Average Score\"", line);
        int32_t expected = TruncatedAverage(scoreSum_, opening_.wordCount);
        if (*average != expected)
            return Mismatch("average score " + std::to_string(*average) +
                            " does not agree with the words above it (" + std::to_string(expected) +
                            ")");
        expect_ = Expect::Rule;
        return true;
    }
    case Expect::Rule:
        if (line != kRule49)
            return Fail("a line of 49 hyphens closing the utterance block", line);
        expect_ = Expect::BlockEnd;
        return true;
    case Expect::BlockEnd: {
        if (!line.empty())
            return Fail("an empty line ending the utterance block", line);
        UtteranceClosing closing;
        closing.maximumScore = statedMaximum_;
        closing.minimumScore = statedMinimum_;
        closing.averageScore = TruncatedAverage(scoreSum_, opening_.wordCount);
        events_.UtteranceClosed(closing);
        expect_ = Expect::Item;
        return true;
    }
    default: return Fail("nothing more", line);
    }
}

void LogParser::End(std::string_view remainder)
{
    if (!remainder.empty())
        Warn(lineNumber_ + 1, "the last line has no line end (the file was cut short there); "
                              "it is not read");
    switch (expect_) {
    case Expect::Item: return;
    case Expect::BannerEnd: return;
    case Expect::ResetBlank:
    case Expect::ResetRule:
    case Expect::ResetEnd: Warn(lineNumber_, "the file ends inside the Reset All lines"); return;
    case Expect::SavedAt:
        // An empty last line is the start of a save marker that never came.
        Warn(lineNumber_, "the file ends after an empty line that starts no save marker");
        return;
    case Expect::SaveRule: Warn(lineNumber_, "the file ends inside the save marker"); return;
    default:
        DropBlock("is cut short at the end of the file (line " + std::to_string(lineNumber_) + ")");
    }
}
