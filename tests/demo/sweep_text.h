// What the demo reads back from a saved session log and how it shows the slider positions'
// words side by side. Values in, values out: no window, no file.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct LoggedWord
{
    int score = 0;
    std::string text;
};

struct LoggedUtterance
{
    int number = 0;
    std::string rtf; // as the log writes it
    std::vector<LoggedWord> words;
};

// The utterances of a session log's text, in order: each "Utterance #:" line and the
// "score : word" lines that follow its word-count line up to the next empty line.
std::vector<LoggedUtterance> ParseLoggedUtterances(const std::string& logText);

// The non-empty lines of a reference file, LF or CR LF ended.
std::vector<std::string> ReferenceSentences(const std::string& text);

// One transcribed file: its name and reference sentences.
struct ReferenceFile
{
    std::string name;
    std::vector<std::string> sentences;
};

// One slider position's run over the files in order: its label, what its log holds, and how
// many of those utterances each file gave.
struct PositionRun
{
    std::string label;
    std::vector<LoggedUtterance> utterances;
    std::vector<int> utterancesPerFile;
};

// For each file: its name, the reference sentences, then one line per position with the
// recognised words and their scores ("please 100 call 98 ..."), labels padded to one width.
std::string WordsSideBySide(const std::vector<ReferenceFile>& files,
                            const std::vector<PositionRun>& runs);

} // namespace demo
