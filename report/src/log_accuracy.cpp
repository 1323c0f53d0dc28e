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

void AlignStretch(const std::vector<uint32_t>& reference, const std::vector<Token>& tokens,
                  uint32_t utterance, const WordNumbers& numbers, bool keepPairs,
                  LogAccuracy& accuracy)
{
    std::vector<uint32_t> hypothesis;
    hypothesis.reserve(tokens.size());
    for (const Token& token : tokens)
        hypothesis.push_back(token.id);
    std::vector<EditStep> steps = AlignWords(reference, hypothesis);
    accuracy.counts += CountEdits(steps);
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
}

} // namespace

LogAccuracy MeasureAccuracy(const ReferenceText& reference, const LogContent& content,
                            size_t utteranceCount, bool keepPairs)
{
    LogAccuracy accuracy;
    WordNumbers numbers;
    std::vector<Token> tokens;
    for (const RecognisedWord& word : content.words)
        for (const std::string& normalised : NormalisedWords(FromLatin1(word.text)))
            tokens.push_back({numbers.Of(normalised), word.score, word.utterance});
    accuracy.recognisedWords = static_cast<int64_t>(tokens.size());

    accuracy.perUtterance = utteranceCount > 1 && reference.lines.size() == utteranceCount;
    if (accuracy.perUtterance) {
        size_t next = 0;
        for (uint32_t utterance = 0; utterance < utteranceCount; ++utterance) {
            std::vector<Token> own;
            while (next < tokens.size() && tokens[next].utterance == utterance)
                own.push_back(tokens[next++]);
            std::vector<uint32_t> words;
            for (const std::string& word : reference.lines[utterance])
                words.push_back(numbers.Of(word));
            AlignStretch(words, own, utterance, numbers, keepPairs, accuracy);
        }
    } else {
        std::vector<uint32_t> words;
        for (const auto& line : reference.lines)
            for (const std::string& word : line)
                words.push_back(numbers.Of(word));
        AlignStretch(words, tokens, 0, numbers, keepPairs, accuracy);
    }
    accuracy.trust = TrustOf(accuracy.outcomes);
    return accuracy;
}
