#include "log_accuracy.h"

#include <unordered_map>

#include "text_encoding.h"
#include "word_normalising.h"

namespace {

struct Token
{
    uint32_t id = 0;
    int32_t score = 0;
    uint32_t utterance = 0;
};

// Equal words get equal numbers, so the alignment compares numbers.
class WordNumbers
{
public:
    uint32_t Of(const std::string& word)
    {
        auto [it, added] = numbers_.emplace(word, static_cast<uint32_t>(words_.size()));
        if (added)
            words_.push_back(&it->first);
        return it->second;
    }
    const std::string& Word(uint32_t id) const { return *words_[id]; }

private:
    std::unordered_map<std::string, uint32_t> numbers_;
    std::vector<const std::string*> words_;
};

// Aligns one stretch of words, adding its outcomes (and pairs) to accuracy; returns its counts.
EditCounts AlignStretch(const std::vector<uint32_t>& reference, const std::vector<Token>& tokens,
                        uint32_t utterance, const WordNumbers& numbers, bool keepPairs,
                        LogAccuracy& accuracy)
{
    std::vector<uint32_t> hypothesis;
    hypothesis.reserve(tokens.size());
    for (const Token& token : tokens)
        hypothesis.push_back(token.id);
    std::vector<EditStep> steps = AlignWords(reference, hypothesis);
    EditCounts counts = CountEdits(steps);
    accuracy.counts += counts;
    uint32_t where = utterance;
    for (const EditStep& step : steps) {
        const Token* token =
            step.hypothesis >= 0 ? &tokens[static_cast<size_t>(step.hypothesis)] : nullptr;
        if (token) {
            where = token->utterance;
            accuracy.outcomes.push_back({token->score, step.kind == EditKind::Match});
        }
        if (!keepPairs)
            continue;
        AlignedPair pair;
        pair.kind = step.kind;
        if (step.reference >= 0)
            pair.reference = numbers.Word(reference[static_cast<size_t>(step.reference)]);
        if (token) {
            pair.hypothesis = numbers.Word(token->id);
            pair.score = token->score;
        }
        pair.utterance = where;
        accuracy.pairs.push_back(std::move(pair));
    }
    return counts;
}

// The tokens of utterances [first, end), taken from next on.
std::vector<Token> TokensOf(const std::vector<Token>& tokens, size_t& next, uint32_t end)
{
    std::vector<Token> own;
    while (next < tokens.size() && tokens[next].utterance < end)
        own.push_back(tokens[next++]);
    return own;
}

} // namespace

LogAccuracy MeasureAccuracy(const ReferenceText& reference, const LogContent& content,
                            size_t utteranceCount, bool eachSegment, bool keepPairs)
{
    LogAccuracy accuracy;
    accuracy.referenceLines = reference.lines.size();
    accuracy.utterances = utteranceCount;
    WordNumbers numbers;
    std::vector<Token> tokens;
    for (const RecognisedWord& word : content.words)
        for (const std::string& normalised : NormalisedWords(FromLatin1(word.text)))
            tokens.push_back({numbers.Of(normalised), word.score, word.utterance});
    accuracy.recognisedWords = static_cast<int64_t>(tokens.size());

    std::vector<uint32_t> whole;
    for (const auto& line : reference.lines)
        for (const std::string& word : line)
            whole.push_back(numbers.Of(word));
    accuracy.eachSegment = eachSegment;
    accuracy.perUtterance =
        !eachSegment && utteranceCount > 1 && reference.lines.size() == utteranceCount;
    size_t next = 0;
    if (accuracy.perUtterance) {
        uint32_t utterance = 0;
        for (const Segment& segment : content.segments) {
            StretchAccuracy own;
            for (size_t k = 0; k < segment.utteranceCount; ++k, ++utterance) {
                std::vector<Token> words = TokensOf(tokens, next, utterance + 1);
                std::vector<uint32_t> spoken;
                for (const std::string& word : reference.lines[utterance])
                    spoken.push_back(numbers.Of(word));
                own.counts += AlignStretch(spoken, words, utterance, numbers, keepPairs, accuracy);
                own.recognisedWords += static_cast<int64_t>(words.size());
            }
            accuracy.segments.push_back(own);
        }
    } else if (eachSegment) {
        uint32_t first = 0;
        for (const Segment& segment : content.segments) {
            uint32_t end = first + static_cast<uint32_t>(segment.utteranceCount);
            StretchAccuracy own;
            // A segment of unfinished blocks alone recognised nothing to measure.
            if (segment.utteranceCount > 0) {
                std::vector<Token> words = TokensOf(tokens, next, end);
                own.counts = AlignStretch(whole, words, first, numbers, keepPairs, accuracy);
                own.recognisedWords = static_cast<int64_t>(words.size());
            }
            accuracy.segments.push_back(own);
            first = end;
        }
    } else {
        AlignStretch(whole, tokens, 0, numbers, keepPairs, accuracy);
    }
    accuracy.trust = TrustOf(accuracy.outcomes);
    return accuracy;
}

std::string AlignmentWarning(const LogAccuracy& accuracy)
{
    if (accuracy.perUtterance || accuracy.eachSegment || accuracy.referenceLines <= 1 ||
        accuracy.referenceLines == accuracy.utterances)
        return "";
    return "the reference has " + std::to_string(accuracy.referenceLines) + " lines and the log " +
           std::to_string(accuracy.utterances) +
           " complete utterances, so the whole reference is aligned as one text against all "
           "the log's words (--reference-each-segment aligns it against each segment)";
}
