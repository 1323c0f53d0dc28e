// Events through the connection point: their order, their thread, what they carry, and what
// stops them.
#include "standin_test_support.h"

#include "app/com_owners.h"

#include <olectl.h>

using namespace standin;
using namespace standin::testing;

namespace {

struct WordSeen
{
    LONG score;
    std::optional<std::wstring> text;
};

struct ResultSeen
{
    LONG startHigh = 0, startLow = 0, endHigh = 0, endLow = 0;
    LONG phrases = 0, wordCount = 0;
    std::vector<WordSeen> words;
};

// Reads the newest result the way the program does, every word it holds.
ResultSeen ReadResult(IDgnEditDictation* dictation)
{
    ResultSeen seen;
    ComPtr<IDgnResult> result;
    EXPECT_EQ(dictation->get_LastResult(&result), S_OK);
    if (!result)
        return seen;
    ComPtr<ResultTime> start, end;
    result->GetStartTime(&start);
    result->GetEndTime(&end);
    start->GetHighPart(&seen.startHigh);
    start->GetLowPart(&seen.startLow);
    end->GetHighPart(&seen.endHigh);
    end->GetLowPart(&seen.endLow);
    ComPtr<ResultPhraseList> phrases;
    ComPtr<IDgnResPhrase> best;
    ComPtr<IDgnResWords> words;
    result->GetPhrases(&phrases);
    phrases->GetCount(&seen.phrases);
    EXPECT_EQ(phrases->get_Item(0, &best), S_OK);
    EXPECT_EQ(best->get_Words(&words), S_OK);
    words->GetCount(&seen.wordCount);
    for (LONG i = 0;; ++i) {
        ComPtr<IDgnResWord> word;
        if (words->get_Item(i, &word) != S_OK)
            break;
        WordSeen w{};
        word->get_ConfidenceScore(&w.score);
        BSTR text = nullptr;
        word->get_Text(&text);
        if (text)
            w.text = std::wstring(text, SysStringLen(text));
        SysFreeString(text);
        seen.words.push_back(w);
    }
    return seen;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

class Events : public StandinTest
{
protected:
    void SetUp() override
    {
        StandinTest::SetUp();
        edit_ = CreateWindowExW(0, L"EDIT", L"Hello", ES_MULTILINE, 0, 0, 300, 100, nullptr,
                                nullptr, nullptr, nullptr);
        dictation_ = CreateDictation();
        VARIANT flags;
        VariantInit(&flags);
        flags.vt = VT_I4;
        flags.lVal = 4;
        ASSERT_EQ(dictation_->Register(edit_, flags), S_OK);
        cookie_ = Advise(dictation_.Get(), &sink_);
        ASSERT_NE(cookie_, 0u);
    }
    void TearDown() override
    {
        if (cookie_)
            Unadvise(dictation_.Get(), cookie_);
        dictation_.Reset();
        DestroyWindow(edit_);
        StandinTest::TearDown();
    }

    HWND edit_ = nullptr;
    ComPtr<IDgnEditDictation> dictation_;
    EventSink sink_;
    DWORD cookie_ = 0;
};

} // namespace

TEST_F(Events, DictationTypesTheTextThenRaisesStartAndResultOnTheCreatingThread)
{
    Utterance u;
    u.words = {{80, L"big"}, {-7, std::nullopt}, {1000, L"w\u00F6rld\u20AC"}};
    u.start = std::make_pair(1, 1000);
    u.end = std::make_pair(0, -2);
    u.phraseCount = -3;
    u.wordCount = 2000000000;
    ResultSeen seen;
    sink_.onEvent = [&](DISPID id) {
        if (id == kDgnEventResultReady)
            seen = ReadResult(dictation_.Get());
    };
    ASSERT_TRUE(control::Dictate(RequestWindow(), u));
    EXPECT_TRUE(sink_.ids.empty()) << "the request must only queue the work";
    ASSERT_TRUE(PumpUntil([&] { return sink_.ids.size() == 2; }));
    PumpUntil([] { return false; }, 100);

    EXPECT_EQ(sink_.ids, (std::vector<DISPID>{8, 1}));
    for (DWORD thread : sink_.threads)
        EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(WindowText(edit_), L"Hello big w\u00F6rld\u20AC");
    EXPECT_EQ(seen.startHigh, 1);
    EXPECT_EQ(seen.startLow, 1000);
    EXPECT_EQ(seen.endHigh, 0);
    EXPECT_EQ(seen.endLow, -2);
    EXPECT_EQ(seen.phrases, -3);
    EXPECT_EQ(seen.wordCount, 2000000000);
    ASSERT_EQ(seen.words.size(), 3u);
    EXPECT_EQ(seen.words[0].score, 80);
    EXPECT_EQ(seen.words[1].score, -7);
    EXPECT_FALSE(seen.words[1].text.has_value());
    EXPECT_EQ(seen.words[2].text, std::wstring(L"w\u00F6rld\u20AC"));
}

TEST_F(Events, DefaultStampsSpanTheWordsAndEndNow)
{
    Utterance u;
    u.words = {{50, L"a"}, {50, L"b"}, {50, L"c"}};
    ResultSeen seen;
    sink_.onEvent = [&](DISPID id) {
        if (id == kDgnEventResultReady)
            seen = ReadResult(dictation_.Get());
    };
    ASSERT_TRUE(control::Dictate(RequestWindow(), u));
    ASSERT_TRUE(PumpUntil([&] { return sink_.ids.size() == 2; }));
    EXPECT_EQ(seen.endLow - seen.startLow, 200 + 3 * 300);
    EXPECT_EQ(seen.phrases, 1);
    EXPECT_EQ(seen.wordCount, 3);
}

TEST_F(Events, FileTranscriptionRaisesStartAndResultPerUtteranceThenEnd)
{
    auto samples = BurstsInNoise({{200, 700}, {1200, 1500}, {2000, 2900}}, 3200, 16000, 25);
    testfiles::Write(Path(L"three.wav"), WavBytes(samples, 16000, 1, 16));
    testfiles::Write(Path(L"three.txt"), "alpha beta gamma delta epsilon");
    Bstr path(Path(L"three.wav").c_str());
    ASSERT_EQ(dictation_->TranscribeFile(path.Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink_.ids.empty() && sink_.ids.back() == 7; }));
    EXPECT_EQ(sink_.ids, (std::vector<DISPID>{8, 1, 8, 1, 8, 1, 7}));
    EXPECT_EQ(WindowText(edit_), L"Hello alpha beta gamma delta epsilon");
}

TEST_F(Events, StopDropsTheRestAndEndsOnce)
{
    auto samples = BurstsInNoise({{200, 700}, {1200, 1500}, {2000, 2900}}, 3200, 16000, 25);
    testfiles::Write(Path(L"three.wav"), WavBytes(samples, 16000, 1, 16));
    sink_.onEvent = [&](DISPID id) {
        if (id == kDgnEventResultReady) {
            EXPECT_EQ(dictation_->TranscribeStop(), S_OK);
        }
    };
    Bstr path(Path(L"three.wav").c_str());
    ASSERT_EQ(dictation_->TranscribeFile(path.Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink_.ids.empty() && sink_.ids.back() == 7; }));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(sink_.ids, (std::vector<DISPID>{8, 1, 7}));
    EXPECT_EQ(dictation_->TranscribeStop(), S_FALSE) << "nothing is left to stop";
}

TEST_F(Events, AnyIdCanBeRaisedBare)
{
    HWND window = RequestWindow();
    for (DISPID id : {42, 7, -1, 1})
        ASSERT_TRUE(control::RaiseEvent(window, id));
    ASSERT_TRUE(PumpUntil([&] { return sink_.ids.size() == 4; }));
    EXPECT_EQ(sink_.ids, (std::vector<DISPID>{42, 7, -1, 1}));
    ComPtr<IDgnResult> result;
    EXPECT_EQ(dictation_->get_LastResult(&result), E_UNEXPECTED) << "nothing recognised yet";
}

TEST_F(Events, UnadviseStopsThem)
{
    ASSERT_EQ(Unadvise(dictation_.Get(), cookie_), S_OK);
    EXPECT_EQ(Unadvise(dictation_.Get(), cookie_), CONNECT_E_NOCONNECTION);
    cookie_ = 0;
    Utterance u;
    u.words = {{50, L"unheard"}};
    ASSERT_TRUE(control::Dictate(RequestWindow(), u));
    ASSERT_TRUE(PumpUntil([&] { return EventsSent(Journal(), kDgnEventResultReady) == 1; }));
    EXPECT_TRUE(sink_.ids.empty());
    EXPECT_TRUE(control::EventsRaised(Journal()).empty());
}

TEST_F(Events, AnotherConnectionPointIsRefused)
{
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(dictation_.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &point),
              CONNECT_E_NOCONNECTION);
}
