#include "log_builder.h"

namespace testlog {

std::string CrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string ToLf(const std::string& text)
{
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lf += text[i];
    return lf;
}

std::string StartLines()
{
    return CrLf({"Mirelle Session Started: Wednesday, December 9, 2026 15:00:00",
                 "Mirelle Log File Service, Tarvell's record of this session.", ""});
}

std::string Block(int number, const std::string& rtf, int alternates, const Words& words)
{
    std::vector<std::string> lines{
        "Utterance #: " + std::to_string(number) + "      RTF: " + rtf + "      " +
            std::to_string(alternates) + " alternate phrases in result",
        std::to_string(words.size()) + " words in utterance, each with individual confidence "
                                       "scores:",
        ""};
    int sum = 0, maximum = 0, minimum = 999;
    std::string maxWord = "(null)", minWord = "(null)";
    for (const auto& [score, text] : words) {
        lines.push_back(std::to_string(score) + " : " + text);
        sum += score;
        if (score > maximum) {
            maximum = score;
            maxWord = text;
        }
        if (score < minimum) {
            minimum = score;
            minWord = text;
        }
    }
    int average = words.empty() ? 0 : sum / static_cast<int>(words.size());
    lines.push_back("");
    lines.push_back(std::to_string(maximum) + " : " + maxWord + " <---> Maximum Score");
    lines.push_back(std::to_string(minimum) + " : " + minWord + " <---> Minimum Score");
    lines.push_back(std::to_string(average) + " : <---> Average Score");
    lines.push_back(std::string(49, '-'));
    lines.push_back("");
    return CrLf(lines);
}

std::string ResetLines()
{
    return CrLf({"Reset All pressed.", "", std::string(49, '-'), ""});
}

std::string SaveMarker(const std::string& time)
{
    return CrLf({"", "Session saved at: " + time, std::string(42, '-')});
}

} // namespace testlog
