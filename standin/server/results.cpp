#include "results.h"

#include "bstr_tracker.h"
#include "call.h"
#include "com_object.h"
#include "journal.h"

#include <string>

namespace standin {
namespace {

using ResultPtr = std::shared_ptr<const RecognitionResult>;

// Milliseconds a word takes to say when the utterance gives no stamps.
constexpr long long kMsPerWord = 300;
constexpr long long kMsPerUtterance = 200;

template <class T> HRESULT Give(T* object, T** out)
{
    *out = object;
    return S_OK;
}

class Time : public DispatchObject<ResultTime, ObjectKind::ResultTime>
{
public:
    Time(LONG high, LONG low) : high_(high), low_(low) {}

    STDMETHODIMP GetHighPart(LONG* high) override
    {
        return Half("ResultTime.GetHighPart", high_, high);
    }
    STDMETHODIMP GetLowPart(LONG* low) override { return Half("ResultTime.GetLowPart", low_, low); }

private:
    HRESULT Half(const char* operation, LONG value, LONG* out)
    {
        Call call(operation, __uuidof(ResultTime));
        if (call.Injected())
            return call.Result();
        if (!out)
            return call.Finish(E_POINTER);
        *out = value;
        return call.Finish(S_OK, std::to_string(value));
    }

    LONG high_, low_;
};

class WordObject : public DispatchObject<IDgnResWord, ObjectKind::Word>
{
public:
    WordObject(ResultPtr result, size_t index) : result_(std::move(result)), index_(index) {}

    STDMETHODIMP get_Text(BSTR* text) override
    {
        Call call("IDgnResWord.get_Text", __uuidof(IDgnResWord), std::to_string(index_));
        if (text)
            *text = nullptr;
        if (call.Injected())
            return call.Result();
        if (!text)
            return call.Finish(E_POINTER);
        const auto& value = result_->words[index_].text;
        *text = HandOut(value);
        return call.Finish(S_OK, Quoted(value));
    }
    STDMETHODIMP get_ConfidenceScore(LONG* score) override
    {
        Call call("IDgnResWord.get_ConfidenceScore", __uuidof(IDgnResWord), std::to_string(index_));
        if (call.Injected())
            return call.Result();
        if (!score)
            return call.Finish(E_POINTER);
        *score = result_->words[index_].score;
        return call.Finish(S_OK, std::to_string(*score));
    }

private:
    ResultPtr result_;
    size_t index_;
};

class WordsObject : public DispatchObject<IDgnResWords, ObjectKind::Words>
{
public:
    explicit WordsObject(ResultPtr result) : result_(std::move(result)) {}

    STDMETHODIMP get_Item(LONG index, IDgnResWord** word) override
    {
        Call call("IDgnResWords.get_Item", __uuidof(IDgnResWords), std::to_string(index));
        if (word)
            *word = nullptr;
        if (call.Injected())
            return call.Result();
        if (!word)
            return call.Finish(E_POINTER);
        if (index < 0 || static_cast<size_t>(index) >= result_->words.size())
            return call.Finish(E_INVALIDARG, "", L"No word at this index");
        Give<IDgnResWord>(new WordObject(result_, static_cast<size_t>(index)), word);
        return call.Finish(S_OK);
    }
    STDMETHODIMP GetCount(LONG* count) override
    {
        Call call("IDgnResWords.GetCount", __uuidof(IDgnResWords));
        if (call.Injected())
            return call.Result();
        if (!count)
            return call.Finish(E_POINTER);
        *count = result_->wordCount;
        return call.Finish(S_OK, std::to_string(*count));
    }

private:
    ResultPtr result_;
};

class PhraseObject : public DispatchObject<IDgnResPhrase, ObjectKind::Phrase>
{
public:
    explicit PhraseObject(ResultPtr result) : result_(std::move(result)) {}

    STDMETHODIMP get_Words(IDgnResWords** words) override
    {
        Call call("IDgnResPhrase.get_Words", __uuidof(IDgnResPhrase));
        if (words)
            *words = nullptr;
        if (call.Injected())
            return call.Result();
        if (!words)
            return call.Finish(E_POINTER);
        Give<IDgnResWords>(new WordsObject(result_), words);
        return call.Finish(S_OK);
    }

private:
    ResultPtr result_;
};

class PhraseListObject : public DispatchObject<ResultPhraseList, ObjectKind::PhraseList>
{
public:
    explicit PhraseListObject(ResultPtr result) : result_(std::move(result)) {}

    // Alternates carry the best phrase's words: the program reads only phrase 0.
    STDMETHODIMP get_Item(LONG index, IDgnResPhrase** phrase) override
    {
        Call call("ResultPhraseList.get_Item", __uuidof(ResultPhraseList), std::to_string(index));
        if (phrase)
            *phrase = nullptr;
        if (call.Injected())
            return call.Result();
        if (!phrase)
            return call.Finish(E_POINTER);
        if (index < 0 || (index > 0 && index >= result_->phraseCount))
            return call.Finish(E_INVALIDARG, "", L"No phrase at this index");
        Give<IDgnResPhrase>(new PhraseObject(result_), phrase);
        return call.Finish(S_OK);
    }
    STDMETHODIMP GetCount(LONG* count) override
    {
        Call call("ResultPhraseList.GetCount", __uuidof(ResultPhraseList));
        if (call.Injected())
            return call.Result();
        if (!count)
            return call.Finish(E_POINTER);
        *count = result_->phraseCount;
        return call.Finish(S_OK, std::to_string(*count));
    }

private:
    ResultPtr result_;
};

class ResultObject : public DispatchObject<IDgnResult, ObjectKind::Result>
{
public:
    explicit ResultObject(ResultPtr result) : result_(std::move(result)) {}

    STDMETHODIMP GetStartTime(ResultTime** time) override
    {
        return Stamp("IDgnResult.GetStartTime", result_->startHigh, result_->startLow, time);
    }
    STDMETHODIMP GetEndTime(ResultTime** time) override
    {
        return Stamp("IDgnResult.GetEndTime", result_->endHigh, result_->endLow, time);
    }
    STDMETHODIMP GetPhrases(ResultPhraseList** phrases) override
    {
        Call call("IDgnResult.GetPhrases", __uuidof(IDgnResult));
        if (phrases)
            *phrases = nullptr;
        if (call.Injected())
            return call.Result();
        if (!phrases)
            return call.Finish(E_POINTER);
        Give<ResultPhraseList>(new PhraseListObject(result_), phrases);
        return call.Finish(S_OK);
    }

private:
    HRESULT Stamp(const char* operation, LONG high, LONG low, ResultTime** time)
    {
        Call call(operation, __uuidof(IDgnResult));
        if (time)
            *time = nullptr;
        if (call.Injected())
            return call.Result();
        if (!time)
            return call.Finish(E_POINTER);
        Give<ResultTime>(new Time(high, low), time);
        return call.Finish(S_OK, std::to_string(high) + " " + std::to_string(low));
    }

    ResultPtr result_;
};

} // namespace

RecognitionResult ResolveUtterance(const Utterance& utterance, long long nowMs)
{
    RecognitionResult r;
    r.words = utterance.words;
    r.phraseCount = utterance.phraseCount.value_or(1);
    r.wordCount = utterance.wordCount.value_or(static_cast<LONG>(utterance.words.size()));
    long long spoken =
        kMsPerUtterance + kMsPerWord * static_cast<long long>(utterance.words.size());
    long long endMs = nowMs, startMs = nowMs > spoken ? nowMs - spoken : 0;
    auto [endHigh, endLow] = utterance.end.value_or(
        std::make_pair(static_cast<LONG>(endMs >> 32), static_cast<LONG>(endMs & 0xFFFFFFFF)));
    auto [startHigh, startLow] = utterance.start.value_or(
        std::make_pair(static_cast<LONG>(startMs >> 32), static_cast<LONG>(startMs & 0xFFFFFFFF)));
    r.startHigh = startHigh;
    r.startLow = startLow;
    r.endHigh = endHigh;
    r.endLow = endLow;
    return r;
}

IDgnResult* NewResultObject(std::shared_ptr<const RecognitionResult> result)
{
    return new ResultObject(std::move(result));
}

} // namespace standin
