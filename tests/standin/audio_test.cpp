// The stand-in measures recordings itself: the signal-to-noise ratio, and the utterances found
// between pauses, with their stamps and the confidence of their words.
#include "standin_test_support.h"

#include "app/com_owners.h"

#include <atomic>
#include <cmath>
#include <thread>

using namespace standin;
using namespace standin::testing;

namespace {

class Audio : public StandinTest
{
};

const std::vector<Burst> kSpeech = {{300, 1300}, {1800, 2400}, {3000, 4500}, {5000, 5600}};

} // namespace

TEST_F(Audio, SignalToNoiseWithinOneDecibel)
{
    struct Case
    {
        double snrDb;
        unsigned rate, channels, bits;
    };
    const Case cases[] = {
        {0, 16000, 1, 16}, {10, 16000, 1, 16}, {20, 16000, 1, 16}, {30, 16000, 1, 16},
        {10, 8000, 2, 8},  {20, 44100, 2, 16}, {30, 99000, 1, 16}, {0, 11025, 1, 8},
    };
    auto engine = CreateEngine();
    for (const Case& c : cases) {
        auto samples = BurstsInNoise(kSpeech, 6000, c.rate, c.snrDb);
        testfiles::Write(Path(L"snr.wav"), WavBytes(samples, c.rate, c.channels, c.bits));
        Bstr path(Path(L"snr.wav").c_str());
        double ratio = -999;
        ASSERT_EQ(engine->GetWaveFileSNR(path.Get(), &ratio), S_OK) << c.snrDb;
        EXPECT_NEAR(ratio, c.snrDb, 1.0)
            << c.rate << " Hz, " << c.channels << " channels, " << c.bits << " bits";
    }
}

TEST_F(Audio, UtterancesAreTheBurstsBetweenPauses)
{
    struct Case
    {
        std::vector<Burst> bursts;
        double totalMs;
        unsigned rate;
    };
    const Case cases[] = {
        {kSpeech, 6000, 16000},
        {{{0, 400}}, 400, 8000}, // speech from the first to the last sample
        {{{150, 390}, {640, 1900}, {2150, 2300}}, 2600, 22050}, // pauses of 250 ms
        {{{500, 1500}}, 2000, 48000},
    };
    for (const Case& c : cases) {
        auto samples = BurstsInNoise(c.bursts, c.totalMs, c.rate, 20);
        testfiles::Write(Path(L"bursts.wav"), WavBytes(samples, c.rate, 1, 16));

        auto dictation = CreateDictation();
        EventSink sink;
        std::vector<Burst> found;
        sink.onEvent = [&](DISPID id) {
            if (id != kDgnEventResultReady)
                return;
            ComPtr<IDgnResult> result;
            ComPtr<ResultTime> start, end;
            LONG high = 0, from = 0, to = 0;
            ASSERT_EQ(dictation->get_LastResult(&result), S_OK);
            result->GetStartTime(&start);
            result->GetEndTime(&end);
            start->GetHighPart(&high);
            EXPECT_EQ(high, 0);
            start->GetLowPart(&from);
            end->GetLowPart(&to);
            found.push_back({static_cast<double>(from), static_cast<double>(to)});
        };
        DWORD cookie = Advise(dictation.Get(), &sink);
        Bstr path(Path(L"bursts.wav").c_str());
        ASSERT_EQ(dictation->TranscribeFile(path.Get()), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return !sink.ids.empty() && sink.ids.back() == 7; }));
        ASSERT_EQ(found.size(), c.bursts.size()) << c.rate;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_NEAR(found[i].startMs, c.bursts[i].startMs, 20) << c.rate << " #" << i;
            EXPECT_NEAR(found[i].endMs, c.bursts[i].endMs, 20) << c.rate << " #" << i;
        }
        Unadvise(dictation.Get(), cookie);
    }
}

TEST_F(Audio, ConfidenceFollowsTheRatioOfEachWord)
{
    // The same words, once clean and once noisy: every noisy score is below every clean one.
    std::vector<LONG> scores[2];
    const double ratios[2] = {28, 6};
    for (int k = 0; k < 2; ++k) {
        auto samples = BurstsInNoise({{300, 1300}}, 1600, 16000, ratios[k]);
        testfiles::Write(Path(L"words.wav"), WavBytes(samples, 16000, 1, 16));
        testfiles::Write(Path(L"words.txt"), "one two three");
        auto dictation = CreateDictation();
        EventSink sink;
        sink.onEvent = [&](DISPID id) {
            if (id != kDgnEventResultReady)
                return;
            ComPtr<IDgnResult> result;
            ComPtr<ResultPhraseList> phrases;
            ComPtr<IDgnResPhrase> phrase;
            ComPtr<IDgnResWords> words;
            dictation->get_LastResult(&result);
            result->GetPhrases(&phrases);
            phrases->get_Item(0, &phrase);
            phrase->get_Words(&words);
            for (LONG i = 0; i < 3; ++i) {
                ComPtr<IDgnResWord> word;
                LONG score = -1;
                ASSERT_EQ(words->get_Item(i, &word), S_OK);
                word->get_ConfidenceScore(&score);
                scores[k].push_back(score);
            }
        };
        DWORD cookie = Advise(dictation.Get(), &sink);
        Bstr path(Path(L"words.wav").c_str());
        ASSERT_EQ(dictation->TranscribeFile(path.Get()), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return !sink.ids.empty() && sink.ids.back() == 7; }));
        Unadvise(dictation.Get(), cookie);
    }
    ASSERT_EQ(scores[0].size(), 3u);
    ASSERT_EQ(scores[1].size(), 3u);
    for (LONG clean : scores[0]) {
        EXPECT_GE(clean, 85);
        for (LONG noisy : scores[1])
            EXPECT_LT(noisy, clean);
    }
}

TEST_F(Audio, ProcessingTimeIsSpentOnTheProcessorBetweenStartAndResult)
{
    WriteScenario(control::Scenario().ProcessingMs(300));
    auto dictation = CreateDictation();
    EventSink sink;
    DWORD cookie = Advise(dictation.Get(), &sink);
    Utterance u;
    u.words = {{50, L"slow"}};
    auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    auto userTime = [&](HANDLE thread) {
        FILETIME created, exited, kernel, user;
        GetThreadTimes(thread, &created, &exited, &kernel, &user);
        return ticks(user);
    };
    // A thread that spins while the utterance is processed gets the share of the processor that
    // any busy thread gets, however loaded the machine is.
    std::atomic<bool> processing{true};
    long long referenceTime = 0;
    std::thread reference([&] {
        long long before = userTime(GetCurrentThread());
        while (processing)
            ;
        referenceTime = userTime(GetCurrentThread()) - before;
    });
    long long before = userTime(GetCurrentThread());
    ASSERT_TRUE(control::Dictate(RequestWindow(), u));
    bool ended = PumpUntil([&] { return sink.ids.size() == 2; });
    long long workTime = userTime(GetCurrentThread()) - before;
    processing = false;
    reference.join();
    ASSERT_TRUE(ended);
    auto journal = Journal();
    long long start = 0, end = 0;
    for (const auto& entry : journal) {
        if (entry.kind == "event-begin" && entry.Field(0) == "8")
            start = entry.micros;
        if (entry.kind == "event-begin" && entry.Field(0) == "1")
            end = entry.micros;
    }
    EXPECT_GE(end - start, 300000);
    // Worked, not slept: about the spinning thread's share, where a sleeping one gets none.
    EXPECT_GE(workTime * 3, referenceTime);
    EXPECT_GT(workTime, 0);
    Unadvise(dictation.Get(), cookie);
}
