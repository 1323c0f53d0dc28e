// The journal: a line per call with arguments and result, event lines, and the summary of
// objects still alive and strings never freed.
#include "standin_test_support.h"

#include "app/com_owners.h"

using namespace standin;
using namespace standin::testing;

namespace {

class JournalLines : public StandinTest
{
};

} // namespace

TEST_F(JournalLines, CallsCarryArgumentsOutputsResultAndRisingTimes)
{
    auto engine = CreateEngine();
    Bstr user(L"Demo User"), model;
    ASSERT_EQ(engine->GetModelName(user.Get(), 1, model.Out()), S_OK);
    Bstr missing(L"C:\\no such.wav");
    double ratio = 0;
    EXPECT_EQ(engine->GetWaveFileSNR(missing.Get(), &ratio), E_INVALIDARG);

    auto journal = Journal();
    auto models = control::CallsOf(journal, "IDgnEngineControl.GetModelName");
    ASSERT_EQ(models.size(), 1u);
    EXPECT_EQ(models[0].Arguments(), "\"Demo User\" 1");
    EXPECT_EQ(models[0].Outputs(), "\"BestMatch V\"");
    EXPECT_EQ(models[0].Result(), S_OK);
    EXPECT_FALSE(models[0].Injected());
    auto snr = control::CallsOf(journal, "IDgnEngineControl.GetWaveFileSNR");
    ASSERT_EQ(snr.size(), 1u);
    EXPECT_EQ(snr[0].Arguments(), "\"C:\\\\no such.wav\"");
    EXPECT_EQ(snr[0].Result(), E_INVALIDARG);
    for (size_t i = 1; i < journal.size(); ++i)
        EXPECT_GE(journal[i].micros, journal[i - 1].micros);
}

TEST_F(JournalLines, EventLinesBracketEachInvoke)
{
    auto dictation = CreateDictation();
    EventSink sink;
    DWORD cookie = Advise(dictation.Get(), &sink);
    ASSERT_TRUE(control::RaiseEvent(RequestWindow(), 8));
    ASSERT_TRUE(PumpUntil([&] { return sink.ids.size() == 1; }));
    std::vector<std::string> kinds;
    for (const auto& entry : Journal()) {
        if (entry.kind.rfind("event", 0) == 0)
            kinds.push_back(entry.kind + " " + entry.Field(0) + " " + entry.Field(1));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"event-begin 8 ", "event-end 8 0x00000000"}));
    Unadvise(dictation.Get(), cookie);
}

TEST_F(JournalLines, SummaryCountsStringsNeverFreed)
{
    struct Case
    {
        bool leak;
        long unfreed;
    };
    for (const Case& c : {Case{false, 0}, Case{true, 1}}) {
        auto engine = CreateEngine();
        Bstr speaker, source;
        engine->get_Speaker(speaker.Out());
        engine->GetSourceName(1, source.Out());
        BSTR vocabulary = nullptr;
        engine->GetVocabularyName(&vocabulary);
        if (!c.leak)
            SysFreeString(vocabulary);
        // Strings freed after the engine is gone count as freed.
        speaker = Bstr();
        engine.Reset();
        auto summary = control::LastSummary(Journal());
        ASSERT_TRUE(summary);
        EXPECT_EQ(summary->reason, "last-release");
        EXPECT_EQ(summary->objects, 0);
        EXPECT_EQ(summary->bstrs, c.unfreed + 1) << "the source name is still held";
        source = Bstr();
        if (c.leak)
            SysFreeString(vocabulary); // the leak has been seen; later tests start clean
    }
}

TEST_F(JournalLines, ReportOnRequestListsObjectsStillAlive)
{
    auto dictation = CreateDictation();
    HWND window = RequestWindow();
    Utterance u;
    u.words = {{50, L"kept"}};
    ASSERT_TRUE(control::Dictate(window, u));
    ASSERT_TRUE(PumpUntil([&] { return EventsSent(Journal(), kDgnEventResultReady) == 1; }));
    ComPtr<IDgnResult> result;
    ComPtr<ResultTime> start;
    ASSERT_EQ(dictation->get_LastResult(&result), S_OK);
    result->GetStartTime(&start);
    result.Reset(); // the time stamp outlives the result that gave it

    ASSERT_TRUE(control::SendRequest(window, "report\n"));
    ASSERT_TRUE(PumpUntil([&] {
        auto s = control::LastSummary(Journal());
        return s && s->reason == "request";
    }));
    auto summary = control::LastSummary(Journal());
    EXPECT_EQ(summary->objects, 2);
    EXPECT_EQ(summary->alive, "DgnDictEdit=1 ResultTime=1");
    EXPECT_EQ(summary->bstrs, 0);
}
