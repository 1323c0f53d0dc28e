// The engine session end to end: the profile at start-up, the dictation target and its
// events, the engine settings, the speed-versus-accuracy slider, and the release at the end.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "engine_session.h"
#include "probe_protocol.h"
#include "resources/resource.h"

using namespace e2e;
using driver::MessageBoxInfo;

namespace {

const wchar_t kNoUserText[] = L"This application requires a user to be loaded before it will "
                              L"run.\nThe application will be shut down.\n";

LRESULT SliderMessage(Session& session, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(session->Control(IDC_SPEED_ACCURACY), msg, wp, lp, SMTO_BLOCK,
                        driver::kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// The values the program wrote into parameter 7, in order.
std::vector<std::string> SpeedWrites(const Session& session)
{
    std::vector<std::string> values;
    for (const JournalEntry& call : session.Calls("IDgnEngineControl.SetParameter"))
        if (call.Arguments().rfind("7 ", 0) == 0 && SUCCEEDED(call.Result()))
            values.push_back(call.Arguments().substr(2));
    return values;
}

std::vector<std::string> Operations(const std::vector<JournalEntry>& journal)
{
    std::vector<std::string> operations;
    for (const JournalEntry& entry : journal)
        if (entry.kind == "call")
            operations.push_back(entry.Operation());
    return operations;
}

bool Called(const Session& session, const std::string& operation)
{
    return !session.Calls(operation).empty();
}

} // namespace

TEST(Profile, StartUpShowsVersionUserSourceModelVocabularyAndSpeed)
{
    Session session;
    ASSERT_TRUE(session.Start());
    EXPECT_EQ(session->Text(IDC_ENGINE_VERSION), L"12.5.301");
    EXPECT_EQ(session->Text(IDC_PROFILE_SOURCE), L"Ada Lovelace  --  USB Headset");
    EXPECT_EQ(session->Text(IDC_MODEL_VOCABULARY), L"General Large -- General English");
    EXPECT_EQ(SliderMessage(session, TBM_GETRANGEMIN), 0);
    EXPECT_EQ(SliderMessage(session, TBM_GETRANGEMAX), 100);
    EXPECT_EQ(SliderMessage(session, TBM_GETNUMTICS), 5); // 0, 25, 50, 75, 100
    EXPECT_EQ(SliderMessage(session, TBM_GETPOS), 40);
    // The first paint writes the value back.
    EXPECT_TRUE(driver::WaitUntil([&] { return !SpeedWrites(session).empty(); }));
    EXPECT_EQ(SpeedWrites(session).front(), "I4:40");
    EXPECT_EQ(session->Text(IDC_CURRENT_SPEED), L"40");
    EXPECT_FALSE(session->Text(IDC_CPU_MODEL).empty());
    EXPECT_FALSE(session->Text(IDC_TOTAL_PHYSICAL).empty());

    // The start-up's calls, in order, with the place-52 query right before parameter 7.
    std::vector<std::string> order = Operations(session.Journal());
    std::vector<std::string> expected = {
        "DgnEngineControl.Create",         "IDgnEngineControl.GetEngineVersion",
        "IDgnEngineControl.get_Speaker",   "IDgnEngineControl.GetCurrentSource",
        "IDgnEngineControl.GetModelName",  "IDgnEngineControl.GetVocabularyName",
        "IDgnEngineControl.GetSourceName", "IDgnEngineControl.GetState",
        "IDgnEngineControl.GetParameter",  "DgnDictEdit.Create",
        "IDgnEditDictation.Register",      "IConnectionPointContainer.FindConnectionPoint",
        "IConnectionPoint.Advise",         "DgnEngineControl.Create",
        "IDgnEngineControl.SetFeature",    "IDgnEngineControl.SetFeature",
        "IDgnEngineControl.SetParameter",
    };
    ASSERT_GE(order.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + expected.size()), expected);
    EXPECT_EQ(session.Calls("IDgnEngineControl.GetModelName").at(0).Arguments(),
              "\"Ada Lovelace\" 3");
    EXPECT_EQ(session.Calls("IDgnEngineControl.GetState").at(0).Arguments(), "0");
    std::vector<JournalEntry> features = session.Calls("IDgnEngineControl.SetFeature");
    EXPECT_EQ(features.at(0).Arguments(), "5 0 0");
    EXPECT_EQ(features.at(1).Arguments(), "6 0 0");
    EXPECT_EQ(session.Calls("IDgnEngineControl.SetParameter").at(0).Arguments(), "1 I4:1");
    EXPECT_EQ(
        session.Calls("IDgnEditDictation.Register")
            .at(0)
            .Arguments()
            .substr(session.Calls("IDgnEditDictation.Register").at(0).Arguments().find(' ') + 1),
        "I4:4");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Profile, ModelVocabularyAndSourceAreLeftOutWhereTheEngineGivesNothing)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> lines;
        const wchar_t* modelVocabulary;
        const wchar_t* profileSource;
    } cases[] = {
        {"empty model", {"model"}, L" -- General English", L"Ada Lovelace  --  USB Headset"},
        {"model fails",
         {"fail IDgnEngineControl.GetModelName E_FAIL"},
         L" -- General English",
         L"Ada Lovelace  --  USB Headset"},
        {"vocabulary fails",
         {"fail IDgnEngineControl.GetVocabularyName E_FAIL"},
         L"General Large",
         L"Ada Lovelace  --  USB Headset"},
        {"both fail",
         {"fail IDgnEngineControl.GetVocabularyName E_FAIL",
          "fail IDgnEngineControl.GetModelName E_FAIL"},
         L"",
         L"Ada Lovelace  --  USB Headset"},
        {"empty source name", {"source 3"}, L"General Large -- General English", L""},
        {"source name fails",
         {"fail IDgnEngineControl.GetSourceName E_FAIL"},
         L"General Large -- General English",
         L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario = NormalProfile();
        for (const std::string& line : c.lines)
            scenario.Line(line);
        Session session(scenario);
        ASSERT_TRUE(session.Start());
        EXPECT_TRUE(session->MessageBoxes().empty());
        EXPECT_EQ(session->Text(IDC_MODEL_VOCABULARY), c.modelVocabulary);
        EXPECT_EQ(session->Text(IDC_PROFILE_SOURCE), c.profileSource);
        EXPECT_EQ(session->Exit(), 0u);
    }
}

TEST(Profile, SpeedParameterIsReadAsItsLowSixteenBitsSigned)
{
    struct Case
    {
        const char* type;
        const char* value;
        int position; // the slider keeps the value inside its range
        const char* firstWrite;
    } cases[] = {
        {"I4", "70000", 100, "I4:100"}, // 70000 & 0xFFFF = 4464
        {"I4", "65586", 50, "I4:50"},   // 0x10032: low half 50
        {"I2", "-5", 0, "I4:0"},
        {"I4", "75", 75, "I4:75"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.value);
        Scenario scenario = NormalProfile();
        scenario.Parameter(7, c.type, c.value);
        Session session(scenario);
        ASSERT_TRUE(session.Start());
        EXPECT_EQ(SliderMessage(session, TBM_GETPOS), c.position);
        ASSERT_TRUE(driver::WaitUntil([&] { return !SpeedWrites(session).empty(); }));
        EXPECT_EQ(SpeedWrites(session).front(), c.firstWrite);
        EXPECT_EQ(session->Exit(), 0u);
    }
}

TEST(Profile, AFailedSpeedReadLeavesTheSliderAtZeroAndTheFirstPaintWritesZero)
{
    Scenario scenario = NormalProfile();
    scenario.Fail(Fail("IDgnEngineControl.GetParameter", E_FAIL));
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(SliderMessage(session, TBM_GETPOS), 0);
    EXPECT_TRUE(driver::WaitUntil([&] { return !SpeedWrites(session).empty(); }));
    EXPECT_EQ(SpeedWrites(session).front(), "I4:0");
    EXPECT_EQ(session->Text(IDC_CURRENT_SPEED), L"0");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(Profile, WithoutAUserOnlyTheWarningIsShownAndTheProgramEnds)
{
    Scenario scenario = NormalProfile();
    scenario.Speaker(L"");
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    std::optional<MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Engine Not Available");
    EXPECT_EQ(box->text, kNoUserText);
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(session->MessageBoxIcon(*box), probe::kIconWarning);
    std::wstring log = session->SessionLogPath();
    EXPECT_FALSE(log.empty());
    EXPECT_TRUE(session->Text(IDC_CPU_MODEL).empty());
    EXPECT_TRUE(session->Text(IDC_TOTAL_PHYSICAL).empty());
    session->Dismiss(*box);
    EXPECT_EQ(session->WaitForExit(), 0u);
    EXPECT_EQ(session->MessageBoxes().size(), 0u);
    EXPECT_FALSE(Called(session, "DgnDictEdit.Create"));
    EXPECT_FALSE(Called(session, "IDgnEngineControl.SetFeature"));
    EXPECT_FALSE(Called(session, "IDgnEngineControl.SetParameter"));
    EXPECT_FALSE(testfiles::Exists(log));
}

TEST(SpeedAccuracy, MovingTheSliderWritesEachPositionShownAndEndsAtTheLast)
{
    Scenario scenario = NormalProfile();
    scenario.Parameter(7, "I4", "50");
    Session session(scenario);
    ASSERT_TRUE(session.Start());
    // The field shows the value read at start before the first paint has written it back.
    ASSERT_TRUE(driver::WaitUntil([&] { return !SpeedWrites(session).empty(); }));
    size_t before = SpeedWrites(session).size();
    for (int position = 51; position <= 75; ++position) {
        // The program repaints in its own loop: a paint sent from this process would have it
        // call an engine in another process from inside a call of ours, which COM forbids.
        SliderMessage(session, TBM_SETPOS, TRUE, position);
        EXPECT_TRUE(driver::WaitUntil([&] {
            return session->Text(IDC_CURRENT_SPEED) == std::to_wstring(position);
        })) << position;
    }
    std::vector<std::string> writes = SpeedWrites(session);
    ASSERT_GT(writes.size(), before);
    EXPECT_EQ(writes.back(), "I4:75");
    for (size_t i = before; i < writes.size(); ++i)
        EXPECT_TRUE(writes[i] >= "I4:51" && writes[i] <= "I4:75") << writes[i];
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(SpeedAccuracy, ARefusedWriteLeavesTheCurrentFieldAsItWas)
{
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_CURRENT_SPEED) == L"40"; }));
    ASSERT_TRUE(session.Arm(Fail("IDgnEngineControl.SetParameter", E_INVALIDARG)));
    SliderMessage(session, TBM_SETPOS, TRUE, 90);
    ASSERT_TRUE(driver::WaitUntil([&] {
        for (const JournalEntry& call : session.Calls("IDgnEngineControl.SetParameter"))
            if (call.Arguments() == "7 I4:90")
                return true;
        return false;
    }));
    EXPECT_EQ(session->Text(IDC_CURRENT_SPEED), L"40");
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(SpeedAccuracy, EngineGoneDuringPaintsShowsOneBoxHoweverOftenTheSliderRepaints)
{
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_CURRENT_SPEED) == L"40"; }));
    ASSERT_TRUE(session.Arm(Fail("DgnEngineControl.Create", E_UNEXPECTED)));
    HWND slider = session->Control(IDC_SPEED_ACCURACY);
    InvalidateRect(slider, nullptr, TRUE);
    std::optional<MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Couldn't create a DgnEngineControl (HRESULT 0x8000FFFF)");
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(slider, nullptr, TRUE);
        Sleep(50);
    }
    EXPECT_EQ(session->MessageBoxes().size(), 1u);
    session->Dismiss(*box);
    EXPECT_EQ(session->WaitForExit(), 0u);
}

TEST(DictationTarget, ExitUnadvisesBeforeReleasingAndLeavesNothingAlive)
{
    Session session;
    ASSERT_TRUE(session.Start());
    session->Click(IDOK);
    ASSERT_EQ(session->WaitForExit(), 0u);
    std::vector<JournalEntry> journal = session.Journal();
    std::vector<std::string> order = Operations(journal);
    auto unadvise = std::find(order.begin(), order.end(), "IConnectionPoint.Unadvise");
    ASSERT_NE(unadvise, order.end());
    // Nothing is asked of the engine after the sink is withdrawn.
    EXPECT_EQ(std::count(unadvise + 1, order.end(), std::string("DgnEngineControl.Create")), 0);
    // The dictation object, the last one alive, goes after the sink was withdrawn.
    auto unadvised = std::find_if(journal.begin(), journal.end(), [](const JournalEntry& e) {
        return e.IsCall("IConnectionPoint.Unadvise");
    });
    auto released = std::find_if(unadvised, journal.end(), [](const JournalEntry& e) {
        return e.kind == "summary" && e.Field(0) == "last-release";
    });
    EXPECT_NE(released, journal.end());
    std::optional<standin::control::Summary> summary = standin::control::LastSummary(journal);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->objects, 0) << summary->alive;
    EXPECT_EQ(summary->bstrs, ExpectedUnfreedStrings());
}

TEST(DictationTarget, EventsOtherThanTheThreeChangeNothing)
{
    Session session;
    ASSERT_TRUE(session.Start());
    for (DISPID id : {0, 2, 3, 6, 9, 100, -1})
        ASSERT_TRUE(session.RaiseEvent(id)) << id;
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return standin::control::EventsRaised(session.Journal()).size() == 7; }));
    EXPECT_TRUE(session->ListLines(IDC_RESULTS).empty());
    EXPECT_TRUE(session->Text(IDC_REC_START).empty());
    EXPECT_TRUE(session->Text(IDC_UTTERANCES).empty());
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(session->Exit(), 0u);
}
