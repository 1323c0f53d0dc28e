#include "sweep_text.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace demo {

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "%i : %s"; false for anything else.
bool ParseWordLine(const std::string& line, LoggedWord& word)
{
    size_t separator = line.find(" : ");
    if (separator == std::string::npos || separator == 0)
        return false;
    char* end = nullptr;
    long score = std::strtol(line.c_str(), &end, 10);
    if (end != line.c_str() + separator)
        return false;
    word.score = static_cast<int>(score);
    word.text = line.substr(separator + 3);
    return true;
}

} // namespace

std::vector<LoggedUtterance> ParseLoggedUtterances(const std::string& logText)
{
    const std::string header = "Utterance #: ", rtfMark = "RTF: ",
                      wordCount = " words in utterance";
    std::vector<LoggedUtterance> utterances;
    enum class State
    {
        Outside,
        Header,
        Blank,
        Words
    } state = State::Outside;
    for (const std::string& line : SplitLines(logText)) {
        if (state == State::Words) {
            LoggedWord word;
            if (ParseWordLine(line, word)) {
                utterances.back().words.push_back(word);
                continue;
            }
            state = State::Outside;
        }
        if (StartsWith(line, header)) {
            LoggedUtterance utterance;
            utterance.number = std::atoi(line.c_str() + header.size());
            size_t rtf = line.find(rtfMark);
            if (rtf != std::string::npos) {
                size_t from = rtf + rtfMark.size();
                utterance.rtf = line.substr(from, line.find(' ', from) - from);
            }
            utterances.push_back(utterance);
            state = State::Header;
        } else if (state == State::Header) {
            state = line.find(wordCount) != std::string::npos ? State::Blank : State::Outside;
        } else if (state == State::Blank) {
            state = line.empty() ? State::Words : State::Outside;
        }
    }
    return utterances;
}

std::vector<std::string> ReferenceSentences(const std::string& text)
{
    std::vector<std::string> sentences;
    for (const std::string& line : SplitLines(text))
        if (!line.empty())
            sentences.push_back(line);
    return sentences;
}

std::string WordsSideBySide(const std::vector<ReferenceFile>& files,
                            const std::vector<PositionRun>& runs)
{
    const std::string said = "said";
    size_t width = said.size();
    for (const PositionRun& run : runs)
        width = std::max(width, run.label.size());
    auto labelled = [&](const std::string& label) {
        return "  " + label + std::string(width - label.size(), ' ') + " | ";
    };

    std::string text;
    std::vector<size_t> next(runs.size(), 0); // each run's first utterance of the file
    for (size_t f = 0; f < files.size(); ++f) {
        text += files[f].name + "\n";
        size_t rows = files[f].sentences.size();
        for (const PositionRun& run : runs)
            if (f < run.utterancesPerFile.size())
                rows = std::max(rows, static_cast<size_t>(std::max(run.utterancesPerFile[f], 0)));
        for (size_t row = 0; row < rows; ++row) {
            if (row < files[f].sentences.size())
                text += labelled(said) + files[f].sentences[row] + "\n";
            for (size_t r = 0; r < runs.size(); ++r) {
                const PositionRun& run = runs[r];
                int count = f < run.utterancesPerFile.size() ? run.utterancesPerFile[f] : 0;
                size_t index = next[r] + row;
                if (static_cast<int>(row) >= count || index >= run.utterances.size())
                    continue;
                std::string words;
                for (const LoggedWord& word : run.utterances[index].words)
                    words +=
                        (words.empty() ? "" : "  ") + word.text + " " + std::to_string(word.score);
                text += labelled(run.label) + (words.empty() ? "(no words)" : words) + "\n";
            }
        }
        for (size_t r = 0; r < runs.size(); ++r)
            if (f < runs[r].utterancesPerFile.size())
                next[r] += static_cast<size_t>(std::max(runs[r].utterancesPerFile[f], 0));
        text += "\n";
    }
    return text;
}

} // namespace demo
