// Every operation the program calls, reached by its place number alone (vtable index 6 + p),
// whatever order the shared header declares them in; the journal names what was reached.
#include "standin_test_support.h"

#include "app/com_owners.h"

#include <oleauto.h>

using namespace standin;
using namespace standin::testing;

namespace {

struct PlaceCase
{
    int place;
    const char* operation;
    std::function<HRESULT(void*, int)> call;
};

BSTR gKeep = nullptr; // strings the calls hand out, freed after each case

HRESULT TakeString(BSTR text)
{
    SysFreeString(gKeep);
    gKeep = text;
    return S_OK;
}

class VtablePlaces : public StandinTest
{
protected:
    // Calls the case at its place and checks that the journal's newest call names it.
    void Check(void* object, const PlaceCase& c)
    {
        size_t before = Journal().size();
        c.call(object, c.place);
        auto journal = Journal();
        ASSERT_GT(journal.size(), before) << c.operation;
        const control::JournalEntry* last = nullptr;
        for (size_t i = before; i < journal.size(); ++i) {
            if (journal[i].kind == "call")
                last = &journal[i];
        }
        ASSERT_NE(last, nullptr) << c.operation;
        EXPECT_EQ(last->Operation(), c.operation) << "place " << c.place;
        SysFreeString(gKeep);
        gKeep = nullptr;
    }

    // Places in 1..last that the cases do not name must answer E_NOTIMPL.
    void CheckFillers(void* object, int last, const std::vector<PlaceCase>& named)
    {
        for (int place = 1; place <= last; ++place) {
            bool isNamed = false;
            for (const PlaceCase& c : named)
                isNamed = isNamed || c.place == place;
            if (!isNamed) {
                EXPECT_EQ(CallPlace(object, place), E_NOTIMPL) << "place " << place;
            }
        }
    }
};

} // namespace

TEST_F(VtablePlaces, EngineControl)
{
    auto engine = CreateEngine();
    BSTR text = nullptr;
    LONG number = 0;
    short v[3];
    double ratio = 0;
    VARIANT value;
    VariantInit(&value);
    Bstr user(L"Demo User"), path(L"C:\\missing.wav");
    const std::vector<PlaceCase> cases = {
        {4, "IDgnEngineControl.get_Speaker",
         [&](void* o, int p) { return CallPlace(o, p, &text) | TakeString(text); }},
        {10, "IDgnEngineControl.GetVocabularyName",
         [&](void* o, int p) { return CallPlace(o, p, &text) | TakeString(text); }},
        {24, "IDgnEngineControl.GetEngineVersion",
         [&](void* o, int p) { return CallPlace(o, p, &v[0], &v[1], &v[2]); }},
        {52, "IDgnEngineControl.GetState",
         [&](void* o, int p) { return CallPlace(o, p, LONG(0), &number); }},
        {56, "IDgnEngineControl.SetFeature",
         [&](void* o, int p) { return CallPlace(o, p, LONG(5), LONG(0), LONG(0)); }},
        {57, "IDgnEngineControl.GetParameter",
         [&](void* o, int p) { return CallPlace(o, p, LONG(7), &value); }},
        {58, "IDgnEngineControl.SetParameter",
         [&](void* o, int p) { return CallPlace(o, p, LONG(7), value); }},
        {68, "IDgnEngineControl.GetSourceName",
         [&](void* o, int p) { return CallPlace(o, p, LONG(1), &text) | TakeString(text); }},
        {74, "IDgnEngineControl.GetCurrentSource",
         [&](void* o, int p) { return CallPlace(o, p, &number); }},
        {81, "IDgnEngineControl.GetModelName",
         [&](void* o, int p) {
             return CallPlace(o, p, user.Get(), LONG(1), &text) | TakeString(text);
         }},
        {113, "IDgnEngineControl.GetWaveFileSNR",
         [&](void* o, int p) { return CallPlace(o, p, path.Get(), &ratio); }},
    };
    for (const PlaceCase& c : cases)
        Check(engine.Get(), c);
    CheckFillers(engine.Get(), 113, cases);
    VariantClear(&value);
}

TEST_F(VtablePlaces, DictationAndResultObjects)
{
    auto dictation = CreateDictation();
    HWND edit =
        CreateWindowExW(0, L"EDIT", L"", 0, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 4;
    Bstr path(L"C:\\missing.wav");
    void* result = nullptr;
    const std::vector<PlaceCase> cases = {
        {1, "IDgnEditDictation.Register",
         [&](void* o, int p) { return CallPlace(o, p, edit, flags); }},
        {19, "IDgnEditDictation.TranscribeFile",
         [&](void* o, int p) { return CallPlace(o, p, path.Get()); }},
        {20, "IDgnEditDictation.TranscribeStop", [&](void* o, int p) { return CallPlace(o, p); }},
        {37, "IDgnEditDictation.get_LastResult",
         [&](void* o, int p) { return CallPlace(o, p, &result); }},
        {39, "IDgnEditDictation.SetOption",
         [&](void* o, int p) { return CallPlace(o, p, LONG(8), flags); }},
    };
    for (const PlaceCase& c : cases)
        Check(dictation.Get(), c);
    CheckFillers(dictation.Get(), 39, cases);

    Utterance u;
    u.words = {{50, L"one"}, {60, L"two"}};
    ASSERT_TRUE(control::Dictate(RequestWindow(), u));
    ASSERT_TRUE(PumpUntil([&] { return EventsSent(Journal(), kDgnEventResultReady) == 1; }));
    ASSERT_EQ(CallPlace(dictation.Get(), 37, &result), S_OK);
    ASSERT_NE(result, nullptr);

    // Each object of the chain, reached by place from the one before.
    void* start = nullptr;
    void* end = nullptr;
    void* phrases = nullptr;
    void* phrase = nullptr;
    void* words = nullptr;
    void* word = nullptr;
    LONG number = 0;
    BSTR text = nullptr;
    struct Step
    {
        void** object;
        PlaceCase c;
    };
    const Step steps[] = {
        {&result,
         {1, "IDgnResult.GetStartTime", [&](void* o, int p) { return CallPlace(o, p, &start); }}},
        {&result,
         {2, "IDgnResult.GetEndTime", [&](void* o, int p) { return CallPlace(o, p, &end); }}},
        {&result,
         {3, "IDgnResult.GetPhrases", [&](void* o, int p) { return CallPlace(o, p, &phrases); }}},
        {&start,
         {1, "ResultTime.GetHighPart", [&](void* o, int p) { return CallPlace(o, p, &number); }}},
        {&end,
         {2, "ResultTime.GetLowPart", [&](void* o, int p) { return CallPlace(o, p, &number); }}},
        {&phrases,
         {1, "ResultPhraseList.get_Item",
          [&](void* o, int p) { return CallPlace(o, p, LONG(0), &phrase); }}},
        {&phrases,
         {2, "ResultPhraseList.GetCount",
          [&](void* o, int p) { return CallPlace(o, p, &number); }}},
        {&phrase,
         {2, "IDgnResPhrase.get_Words", [&](void* o, int p) { return CallPlace(o, p, &words); }}},
        {&words,
         {1, "IDgnResWords.get_Item",
          [&](void* o, int p) { return CallPlace(o, p, LONG(1), &word); }}},
        {&words,
         {2, "IDgnResWords.GetCount", [&](void* o, int p) { return CallPlace(o, p, &number); }}},
        {&word,
         {1, "IDgnResWord.get_Text",
          [&](void* o, int p) { return CallPlace(o, p, &text) | TakeString(text); }}},
        {&word,
         {4, "IDgnResWord.get_ConfidenceScore",
          [&](void* o, int p) { return CallPlace(o, p, &number); }}},
    };
    for (const Step& step : steps) {
        ASSERT_NE(*step.object, nullptr) << step.c.operation;
        Check(*step.object, step.c);
    }
    EXPECT_EQ(number, 60); // the score of word 1
    EXPECT_EQ(CallPlace(phrase, 1), E_NOTIMPL);
    EXPECT_EQ(CallPlace(word, 2), E_NOTIMPL);
    EXPECT_EQ(CallPlace(word, 3), E_NOTIMPL);
    for (void* object : {result, start, end, phrases, phrase, words, word})
        static_cast<IUnknown*>(object)->Release();
    dictation.Reset();
    DestroyWindow(edit);
}
