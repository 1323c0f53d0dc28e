// What the engine reports comes from the scenario, or from defaults that make the demo work;
// settings written are read back.
#include "standin_test_support.h"

#include "app/com_owners.h"

using namespace standin;
using namespace standin::testing;

namespace {

class Profile : public StandinTest
{
};

std::wstring Speaker(IDgnEngineControl* engine)
{
    Bstr speaker;
    EXPECT_EQ(engine->get_Speaker(speaker.Out()), S_OK);
    return speaker.Text();
}

} // namespace

TEST_F(Profile, DefaultsLoadADemoUser)
{
    SetEnvironmentVariableW(control::kScenarioVariable, nullptr);
    auto engine = CreateEngine();
    EXPECT_EQ(Speaker(engine.Get()), L"Demo User");
    Variant speed;
    ASSERT_EQ(engine->GetParameter(7, speed.Out()), S_OK);
    EXPECT_EQ(speed.Get().vt, VT_I4);
    EXPECT_EQ(speed.Get().lVal, 50);
}

TEST_F(Profile, ScenarioSetsEveryField)
{
    WriteScenario(control::Scenario()
                      .Speaker(L"Dr. \u00C5sa \u6F22")
                      .Version(-1, 32767, 12)
                      .Source(42, L"Line In")
                      .Model(L"Model X")
                      .Vocabulary(L"Medical")
                      .Line("state 9"));
    auto engine = CreateEngine();
    EXPECT_EQ(Speaker(engine.Get()), L"Dr. \u00C5sa \u6F22");
    short v[3] = {};
    EXPECT_EQ(engine->GetEngineVersion(&v[0], &v[1], &v[2]), S_OK);
    EXPECT_EQ(v[0], -1);
    EXPECT_EQ(v[1], 32767);
    EXPECT_EQ(v[2], 12);
    LONG source = 0, state = 0;
    EXPECT_EQ(engine->GetCurrentSource(&source), S_OK);
    EXPECT_EQ(source, 42);
    EXPECT_EQ(engine->GetState(0, &state), S_OK);
    EXPECT_EQ(state, 9);

    struct TextCase
    {
        const char* what;
        std::function<HRESULT(BSTR*)> get;
        HRESULT hr;
        const wchar_t* text;
    };
    Bstr user(L"Dr. \u00C5sa \u6F22"), stranger(L"Someone Else");
    const TextCase cases[] = {
        {"source name", [&](BSTR* t) { return engine->GetSourceName(42, t); }, S_OK, L"Line In"},
        {"other source", [&](BSTR* t) { return engine->GetSourceName(1, t); }, E_INVALIDARG, L""},
        {"model", [&](BSTR* t) { return engine->GetModelName(user.Get(), 42, t); }, S_OK,
         L"Model X"},
        {"model of another user",
         [&](BSTR* t) { return engine->GetModelName(stranger.Get(), 42, t); }, E_INVALIDARG, L""},
        {"vocabulary", [&](BSTR* t) { return engine->GetVocabularyName(t); }, S_OK, L"Medical"},
    };
    for (const TextCase& c : cases) {
        Bstr text;
        EXPECT_EQ(c.get(text.Out()), c.hr) << c.what;
        EXPECT_STREQ(text.Text(), c.text) << c.what;
    }
}

TEST_F(Profile, EmptySpeakerMeansNoUserLoaded)
{
    WriteScenario(control::Scenario().Line("speaker"));
    auto engine = CreateEngine();
    Bstr speaker;
    EXPECT_EQ(engine->get_Speaker(speaker.Out()), S_OK);
    EXPECT_TRUE(speaker.Empty());
}

TEST_F(Profile, ParameterSevenKeepsAnyVariantTypeAndValue)
{
    struct Case
    {
        const char* type;
        const char* value;
        VARTYPE vt;
        LONG low16; // what the program takes: the low 16 bits, signed
    };
    const Case cases[] = {
        {"I4", "70000", VT_I4, 4464},      {"I2", "-5", VT_I2, -5}, {"I4", "40", VT_I4, 40},
        {"UI4", "4294967295", VT_UI4, -1}, {"R8", "25", VT_R8, 25},
    };
    for (const Case& c : cases) {
        WriteScenario(control::Scenario().Parameter(7, c.type, c.value));
        auto engine = CreateEngine();
        Variant value;
        ASSERT_EQ(engine->GetParameter(7, value.Out()), S_OK) << c.type << c.value;
        EXPECT_EQ(value.Get().vt, c.vt) << c.type << c.value;
        LONG whole =
            value.Get().vt == VT_R8 ? static_cast<LONG>(value.Get().dblVal) : value.Get().lVal;
        if (value.Get().vt == VT_I2)
            whole = value.Get().iVal;
        EXPECT_EQ(static_cast<short>(whole & 0xFFFF), c.low16) << c.type << c.value;
    }
}

TEST_F(Profile, SettingsWrittenAreReadBackAndJournaled)
{
    auto engine = CreateEngine();
    VARIANT seventy;
    VariantInit(&seventy);
    seventy.vt = VT_I2;
    seventy.iVal = -5;
    EXPECT_EQ(engine->SetParameter(7, seventy), S_OK);
    EXPECT_EQ(engine->SetFeature(5, 0, 0), S_OK);
    engine.Reset();

    auto again = CreateEngine();
    Variant value;
    ASSERT_EQ(again->GetParameter(7, value.Out()), S_OK);
    EXPECT_EQ(value.Get().vt, VT_I2);
    EXPECT_EQ(value.Get().iVal, -5);
    EXPECT_EQ(again->GetParameter(12345, value.Out()), E_INVALIDARG);

    auto set = control::CallsOf(Journal(), "IDgnEngineControl.SetParameter");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].Arguments(), "7 I2:-5");
    auto features = control::CallsOf(Journal(), "IDgnEngineControl.SetFeature");
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ(features[0].Arguments(), "5 0 0");
    EXPECT_EQ(features[0].Result(), S_OK);
}
