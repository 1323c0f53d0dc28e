// Failures armed by the scenario or at run time: the HRESULT, the error object, and which calls.
#include "standin_test_support.h"

#include "app/com_owners.h"

#include <olectl.h>

using namespace standin;
using namespace standin::testing;

namespace {

class Failures : public StandinTest
{
};

FailureRule Rule(const char* operation, HRESULT hr, FailWhen when = FailWhen::Always, long n = 0,
                 std::optional<std::wstring> description = std::nullopt)
{
    return FailureRule{operation, hr, when, n, std::move(description)};
}

} // namespace

TEST_F(Failures, ArmedCallsFailWithTheirResultAndDescription)
{
    struct Case
    {
        FailureRule rule;
        std::vector<HRESULT> calls; // what successive calls give
    };
    const Case cases[] = {
        {Rule("IDgnEngineControl.get_Speaker", E_FAIL, FailWhen::Always, 0, L"Engine busy"),
         {E_FAIL, E_FAIL}},
        {Rule("IDgnEngineControl.get_Speaker", E_NOTIMPL), {E_NOTIMPL}},
        {Rule("IDgnEngineControl.get_Speaker", E_ACCESSDENIED, FailWhen::NthCall, 2),
         {S_OK, E_ACCESSDENIED, S_OK}},
        {Rule("IDgnEngineControl.get_Speaker", E_ABORT, FailWhen::FromNthCall, 2, L"Gone"),
         {S_OK, E_ABORT, E_ABORT}},
    };
    for (const Case& c : cases) {
        WriteScenario(control::Scenario().Fail(c.rule));
        auto engine = CreateEngine();
        for (size_t i = 0; i < c.calls.size(); ++i) {
            SetErrorInfo(0, nullptr);
            Bstr speaker;
            HRESULT hr = engine->get_Speaker(speaker.Out());
            EXPECT_EQ(hr, c.calls[i]) << control::FailLine(c.rule) << " call " << i + 1;
            std::wstring expected = FAILED(hr) ? c.rule.description.value_or(L"") : L"";
            EXPECT_EQ(ErrorDescription(), expected) << control::FailLine(c.rule);
            EXPECT_EQ(speaker.Get() == nullptr, FAILED(hr));
        }
    }
    auto calls = control::CallsOf(Journal(), "IDgnEngineControl.get_Speaker");
    ASSERT_FALSE(calls.empty());
    EXPECT_TRUE(calls[0].Injected());
    EXPECT_EQ(calls[0].Result(), E_FAIL);
}

TEST_F(Failures, ObjectCreationFailsThroughTheClassFactory)
{
    struct Case
    {
        const char* operation;
        const CLSID* clsid;
    };
    const Case cases[] = {{"DgnEngineControl.Create", &CLSID_DgnEngineControl},
                          {"DgnDictEdit.Create", &CLSID_DgnDictEdit}};
    for (const Case& c : cases) {
        WriteScenario(control::Scenario().Fail(
            Rule(c.operation, REGDB_E_CLASSNOTREG, FailWhen::NthCall, 1, L"Not today")));
        ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(*c.clsid, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&object)),
                  REGDB_E_CLASSNOTREG)
            << c.operation;
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(CoCreateInstance(*c.clsid, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&object)), S_OK)
            << c.operation << ": only the first creation fails";
    }
}

TEST_F(Failures, ConnectionPointOperations)
{
    struct Case
    {
        const char* operation;
        HRESULT hr;
    };
    const Case cases[] = {{"IConnectionPointContainer.FindConnectionPoint", E_OUTOFMEMORY},
                          {"IConnectionPoint.Advise", CONNECT_E_ADVISELIMIT},
                          {"IConnectionPoint.Unadvise", E_UNEXPECTED}};
    for (const Case& c : cases) {
        WriteScenario(control::Scenario().Fail(Rule(c.operation, c.hr)));
        EventSink sink; // outlives the object, which keeps it when Unadvise fails
        auto dictation = CreateDictation();
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(dictation.As(&container), S_OK);
        HRESULT hr = container->FindConnectionPoint(DIID__DDgnDictEditEvents, &point);
        if (SUCCEEDED(hr)) {
            DWORD cookie = 0;
            hr = point->Advise(&sink, &cookie);
            if (SUCCEEDED(hr))
                hr = point->Unadvise(cookie);
        }
        EXPECT_EQ(hr, c.hr) << c.operation;
    }
}

TEST_F(Failures, ArmedAtRunTimeThroughARequest)
{
    auto dictation = CreateDictation();
    EXPECT_EQ(CreateEngine().Get() != nullptr, true);
    ASSERT_TRUE(control::Arm(RequestWindow(), Rule("DgnEngineControl.Create", E_OUTOFMEMORY)));
    ComPtr<IDgnEngineControl> engine;
    EXPECT_EQ(CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&engine)),
              E_OUTOFMEMORY);
    ASSERT_TRUE(control::SendRequest(RequestWindow(), "clear-failures\n"));
    EXPECT_EQ(CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&engine)),
              S_OK);
}

TEST_F(Failures, ResultWalkFailsWhereArmed)
{
    auto dictation = CreateDictation();
    EventSink sink;
    DWORD cookie = Advise(dictation.Get(), &sink);
    HWND window = RequestWindow();
    ASSERT_TRUE(control::SendRequest(
        window,
        control::FailLine(Rule("IDgnResWord.get_Text", E_FAIL, FailWhen::NthCall, 2, L"No text"))));
    Utterance u;
    u.words = {{1, L"a"}, {2, L"b"}, {3, L"c"}};
    ASSERT_TRUE(control::Dictate(window, u));
    ASSERT_TRUE(PumpUntil([&] { return sink.ids.size() == 2; }));
    ComPtr<IDgnResult> result;
    ComPtr<ResultPhraseList> phrases;
    ComPtr<IDgnResPhrase> phrase;
    ComPtr<IDgnResWords> words;
    ASSERT_EQ(dictation->get_LastResult(&result), S_OK);
    result->GetPhrases(&phrases);
    phrases->get_Item(0, &phrase);
    phrase->get_Words(&words);
    std::vector<HRESULT> got;
    for (LONG i = 0; i < 3; ++i) {
        ComPtr<IDgnResWord> word;
        words->get_Item(i, &word);
        Bstr text;
        got.push_back(word->get_Text(text.Out()));
    }
    EXPECT_EQ(got, (std::vector<HRESULT>{S_OK, E_FAIL, S_OK}));
    Unadvise(dictation.Get(), cookie);
}

TEST_F(Failures, ARequestWithASyntaxErrorIsRefusedAndJournaled)
{
    auto dictation = CreateDictation();
    EXPECT_FALSE(control::SendRequest(RequestWindow(), "event 1\nfail Nothing.Here E_FAIL\n"));
    bool journaled = false;
    for (const auto& entry : Journal())
        journaled = journaled || (entry.kind == "request-error" &&
                                  entry.Field(0).find("line 2") != std::string::npos);
    EXPECT_TRUE(journaled);
}
