// Every engine operation that the program calls, failed by the stand-in in each place where
// the program calls it, with and without an error description: the exact boxes or none, the
// program ending or going on, and nothing of the engine left alive at the end. Prints the
// matrix of operation by outcome when done.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine_session.h"
#include "probe_protocol.h"
#include "resources/resource.h"
#include "standin_test_support.h"

using namespace e2e;
using driver::MessageBoxInfo;

namespace {

const wchar_t kDescription[] = L"engine says no";
const wchar_t kFormatHint[] =
    L"Please make sure that the Wav file exists and has 16-bit PCM mono format with sampling "
    L"rate between 8 kHz (for telephony) and 99 kHz, or ADPCM (IMA and Microsoft) format.";
const wchar_t kNoTranscription[] =
    L"The version of Dragon NaturallySpeaking currently running does not support transcription.";

struct MatrixRow
{
    std::string operation;
    std::string context;
    std::string outcome;
    bool described;
    bool passed;
};

std::vector<MatrixRow>& Matrix()
{
    static std::vector<MatrixRow> rows;
    return rows;
}

int FailuresSoFar()
{
    const testing::TestResult* result =
        testing::UnitTest::GetInstance()->current_test_info()->result();
    int failed = 0;
    for (int i = 0; i < result->total_part_count(); ++i)
        failed += result->GetTestPartResult(i).failed();
    return failed;
}

// Records one row of the matrix: passed when no expectation failed since `before`.
void Record(const std::string& operation, const std::string& context, const std::string& outcome,
            const wchar_t* description, int before)
{
    Matrix().push_back(
        {operation, context, outcome, description != nullptr, FailuresSoFar() == before});
}

class PrintMatrix : public testing::Environment
{
public:
    void TearDown() override
    {
        std::printf("operation                                      context                     "
                    "outcome                          description  result\n");
        for (const MatrixRow& row : Matrix())
            std::printf("%-46s %-27s %-32s %-12s %s\n", row.operation.c_str(), row.context.c_str(),
                        row.outcome.c_str(), row.described ? "with" : "without",
                        row.passed ? "ok" : "FAILED");
        std::printf("end of matrix: %zu cases\n", Matrix().size());
    }
};

const testing::Environment* const kPrintMatrix = testing::AddGlobalTestEnvironment(new PrintMatrix);

std::wstring Expected(const wchar_t* text, const wchar_t* description)
{
    std::wstring expected = std::wstring(text) + L" (HRESULT 0x80070005)";
    if (description)
        expected += std::wstring(L"\n\"") + description + L"\"";
    return expected;
}

// The 32-bit program under emulation hangs when the probe's hook loads into it: there the
// icon is left to the x86_64 run, and everything seen from outside is checked all the same.
bool ProbeUsable()
{
    return GetEnvironmentVariableW(L"TARVELL_EMULATED", nullptr, 0) == 0;
}

class SayWhatIsLeftOut : public testing::Environment
{
public:
    void SetUp() override
    {
        if (!ProbeUsable())
            std::printf("emulated 32-bit program: each box's icon is checked by the x86_64 run "
                        "only (the probe cannot be hooked in here); caption, text, buttons, "
                        "owner and what follows are checked here\n");
    }
};

const testing::Environment* const kSayWhatIsLeftOut =
    testing::AddGlobalTestEnvironment(new SayWhatIsLeftOut);

// An error box of the program: its caption, text, one OK button, the dialog as its owner.
void ExpectErrorBox(Session& session, const MessageBoxInfo& box, const std::wstring& text)
{
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(driver::WindowText(box.owner), driver::kDialogCaption);
    DWORD ownerProcess = 0;
    GetWindowThreadProcessId(box.owner, &ownerProcess);
    EXPECT_EQ(ownerProcess, session->ProcessId());
    if (ProbeUsable()) {
        EXPECT_EQ(session->MessageBoxIcon(box), probe::kIconError);
    }
}

// Waits for each box in turn, checks it and closes it; then no further box may come.
void ExpectBoxes(Session& session, const std::vector<std::wstring>& texts)
{
    for (const std::wstring& text : texts) {
        std::optional<MessageBoxInfo> box = session->WaitForMessageBox();
        ASSERT_TRUE(box) << "no box: " << testing::PrintToString(text);
        ExpectErrorBox(session, *box, text);
        session->Dismiss(*box);
    }
    Sleep(100);
    EXPECT_TRUE(session->MessageBoxes().empty());
}

void ExpectNothingLeft(const Session& session)
{
    std::optional<standin::control::Summary> summary =
        standin::control::LastSummary(session.Journal());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->objects, 0) << summary->alive;
    EXPECT_EQ(summary->bstrs, 0);
}

size_t EventsEnded(const Session& session, const std::string& id)
{
    size_t count = 0;
    for (const JournalEntry& entry : session.Journal())
        count += entry.kind == "event-end" && entry.Field(0) == id;
    return count;
}

size_t Injected(const Session& session, const std::string& operation)
{
    size_t count = 0;
    for (const JournalEntry& call : session.Calls(operation))
        count += call.Injected();
    return count;
}

Utterance ThreeWords()
{
    Utterance utterance;
    utterance.words = {{80, L"one"}, {60, L"two"}, {70, L"three"}};
    utterance.processingMs = 1;
    return utterance;
}

} // namespace

struct StartUpCase
{
    std::string operation;
    long nth;
    std::string context;
    const wchar_t* text;             // null: nothing shown, the dialog comes up and runs
    std::string notCalledAfter = ""; // after a fatal box, nothing of this operation follows
};

void RunStartUpCases(const std::vector<StartUpCase>& cases)
{
    for (const StartUpCase& c : cases) {
        // A silent failure changes nothing a description could show: once is enough.
        for (const wchar_t* description : {static_cast<const wchar_t*>(nullptr), kDescription}) {
            if (!c.text && description)
                continue;
            SCOPED_TRACE(c.operation + " #" + std::to_string(c.nth) +
                         (description ? " with a description" : ""));
            int before = FailuresSoFar();
            Scenario scenario = NormalProfile();
            scenario.Fail(Fail(c.operation, E_ACCESSDENIED, FailWhen::NthCall, c.nth, description));
            Session session(scenario);
            ASSERT_TRUE(session.Start());
            if (c.text) {
                ExpectBoxes(session, {Expected(c.text, description)});
                EXPECT_EQ(session->WaitForExit(), 0u);
                if (!c.notCalledAfter.empty()) {
                    EXPECT_TRUE(session.Calls(c.notCalledAfter).empty()) << c.notCalledAfter;
                }
            } else {
                EXPECT_TRUE(driver::WaitUntil([&] { return Injected(session, c.operation) > 0; }));
                ExpectBoxes(session, {});
                EXPECT_TRUE(session->Running());
                session->Click(IDOK);
                EXPECT_EQ(session->WaitForExit(), 0u);
            }
            ExpectNothingLeft(session);
            Record(c.operation + (c.nth > 1 ? " #" + std::to_string(c.nth) : ""), c.context,
                   c.text ? "fatal box, ends" : "nothing, goes on", description, before);
        }
    }
}

TEST(FailureSweep, StartUpFailuresEndTheProgramWithTheirBox)
{
    RunStartUpCases({
        {"DgnEngineControl.Create", 1, "connecting", L"Couldn't create a DgnEngineControl",
         "IDgnEngineControl.GetEngineVersion"},
        {"IDgnEngineControl.get_Speaker", 1, "connecting", L"IDgnEngine::get_Speaker failed",
         "IDgnEngineControl.GetCurrentSource"},
        {"DgnDictEdit.Create", 1, "registering", L"Couldn't create a DgnDictEdit object",
         "IDgnEditDictation.Register"},
        {"IDgnEditDictation.Register", 1, "registering", L"IDgnEditDictation::Register() failed",
         "IConnectionPoint.Advise"},
        {"IConnectionPointContainer.FindConnectionPoint", 1, "registering",
         L"Couldn't advise the DgnDictEdit sink", "IDgnEngineControl.SetFeature"},
        {"IConnectionPoint.Advise", 1, "registering", L"Couldn't advise the DgnDictEdit sink",
         "IDgnEngineControl.SetFeature"},
        {"DgnEngineControl.Create", 2, "engine settings", L"Couldn't create a DgnEngineControl",
         "IDgnEngineControl.SetFeature"},
        {"IDgnEngineControl.SetFeature", 1, "engine settings",
         L"Couldn't disable Edit Control Support", "IDgnEngineControl.SetParameter"},
        {"IDgnEngineControl.SetFeature", 2, "engine settings", L"Couldn't disable NatText",
         "IDgnEngineControl.SetParameter"},
        {"IDgnEngineControl.SetParameter", 1, "engine settings", L"Couldn't enable UseConfidence"},
    });
}

TEST(FailureSweep, StartUpQueriesThatAreNotExaminedPassSilently)
{
    RunStartUpCases({
        {"IDgnEngineControl.GetEngineVersion", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetCurrentSource", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetModelName", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetVocabularyName", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetSourceName", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetState", 1, "connecting", nullptr},
        {"IDgnEngineControl.GetParameter", 1, "connecting", nullptr},
    });
}

// The failures of a running session, each armed for one call and then provoked, in one run of
// the program: a box or none each time, and the program goes on.
TEST(FailureSweep, RunningFailuresShowTheirBoxesAndTheProgramGoesOn)
{
    testfiles::ScratchFolder folder;
    std::wstring shortFile = SpokenFile(folder, L"short.wav", 1);
    std::wstring longFile = SpokenFile(folder, L"long.wav", 3);
    Scenario scenario = NormalProfile();
    scenario.Line("file-rtf 1.0");
    Session session(scenario);
    ASSERT_TRUE(session.Start());

    enum class Action
    {
        Dictate,
        Transcribe,
        Stop,
        CheckSnr,
        PaintSlider,
    };
    struct Case
    {
        std::string operation;
        long nth;
        HRESULT result;
        Action action;
        std::string context;
        std::vector<const wchar_t*> texts; // the boxes in order; none: nothing shown
    } cases[] = {
        {"IDgnEditDictation.get_LastResult",
         1,
         E_ACCESSDENIED,
         Action::Dictate,
         "result analysis",
         {L"IDgnEditDictation::get_LastResult(&pIDgnResult) failed"}},
        {"IDgnResult.GetStartTime", 1, E_ACCESSDENIED, Action::Dictate, "result analysis", {}},
        {"ResultTime.GetHighPart", 1, E_ACCESSDENIED, Action::Dictate, "start stamp", {}},
        {"ResultTime.GetLowPart", 1, E_ACCESSDENIED, Action::Dictate, "start stamp", {}},
        {"IDgnResult.GetEndTime", 1, E_ACCESSDENIED, Action::Dictate, "result analysis", {}},
        {"ResultTime.GetHighPart", 2, E_ACCESSDENIED, Action::Dictate, "end stamp", {}},
        {"ResultTime.GetLowPart", 2, E_ACCESSDENIED, Action::Dictate, "end stamp", {}},
        // Without a phrase list there is no phrase 0: reported as its fetch.
        {"IDgnResult.GetPhrases",
         1,
         E_ACCESSDENIED,
         Action::Dictate,
         "result analysis",
         {L"IDgnEditDictation::get_Item(0, &pIDgnResPhrase) failed"}},
        {"ResultPhraseList.GetCount", 1, E_ACCESSDENIED, Action::Dictate, "result analysis", {}},
        {"ResultPhraseList.get_Item",
         1,
         E_ACCESSDENIED,
         Action::Dictate,
         "result analysis",
         {L"IDgnEditDictation::get_Item(0, &pIDgnResPhrase) failed"}},
        {"IDgnResPhrase.get_Words",
         1,
         E_ACCESSDENIED,
         Action::Dictate,
         "result analysis",
         {L"IDgnEditDictation::get_Words(&pIDgnResWords) failed"}},
        {"IDgnResWords.GetCount", 1, E_ACCESSDENIED, Action::Dictate, "result analysis", {}},
        {"IDgnResWords.get_Item",
         1,
         E_ACCESSDENIED,
         Action::Dictate,
         "first word",
         {L"IDgnEditDictation::get_Item(i, & pIDgnResWord) failed"}},
        {"IDgnResWords.get_Item",
         3,
         E_ACCESSDENIED,
         Action::Dictate,
         "last word",
         {L"IDgnEditDictation::get_Item(i, & pIDgnResWord) failed"}},
        {"IDgnResWord.get_ConfidenceScore",
         2,
         E_ACCESSDENIED,
         Action::Dictate,
         "a word",
         {L"IDgnEditDictation::get_ConfidenceScore(&lConfScore) failed"}},
        {"IDgnResWord.get_Text",
         2,
         E_ACCESSDENIED,
         Action::Dictate,
         "a word",
         {L"IDgnEditDictation::get_Text(&szWord) failed"}},
        {"IDgnEditDictation.SetOption", 1, E_ACCESSDENIED, Action::Transcribe, "transcribing", {}},
        {"IDgnEditDictation.TranscribeFile",
         1,
         E_ACCESSDENIED,
         Action::Transcribe,
         "transcribing",
         {L"IDgnEditDictation::TranscribeFile() failed"}},
        {"IDgnEditDictation.TranscribeFile",
         1,
         E_INVALIDARG,
         Action::Transcribe,
         "transcribing (E_INVALIDARG)",
         {L"IDgnEditDictation::TranscribeFile() failed", kFormatHint}},
        {"IDgnEditDictation.TranscribeStop",
         1,
         E_ACCESSDENIED,
         Action::Stop,
         "stopping",
         {L"IDgnEditDictation::TranscribeStop() failed"}},
        {"DgnEngineControl.Create",
         1,
         E_ACCESSDENIED,
         Action::CheckSnr,
         "SNR check",
         {L"Failed to create DgnEngineControl object"}},
        {"IDgnEngineControl.GetWaveFileSNR",
         1,
         E_ACCESSDENIED,
         Action::CheckSnr,
         "SNR check",
         {L"IDgnCustomDictation::GetWaveFileSNR() failed"}},
        {"IDgnEngineControl.SetParameter",
         1,
         E_ACCESSDENIED,
         Action::PaintSlider,
         "slider paint",
         {}},
    };
    for (const Case& c : cases) {
        for (const wchar_t* description : {static_cast<const wchar_t*>(nullptr), kDescription}) {
            SCOPED_TRACE(c.operation + " #" + std::to_string(c.nth) + " in " + c.context +
                         (description ? " with a description" : ""));
            int before = FailuresSoFar();
            size_t results = EventsEnded(session, "1");
            size_t ends = EventsEnded(session, "7");
            size_t injected = Injected(session, c.operation);
            // Let pending paints run first: a slider paint creates an engine control too.
            Sleep(300);
            if (c.action == Action::Stop) {
                session->SetText(IDC_PATH, longFile);
                session->Click(IDC_TRANSCRIBE);
                ASSERT_TRUE(driver::WaitUntil([&] { return session->IsEnabled(IDC_STOP); }));
            }
            ASSERT_TRUE(
                session.Arm(Fail(c.operation, c.result, FailWhen::NthCall, c.nth, description)));
            switch (c.action) {
            case Action::Dictate: ASSERT_TRUE(session.Dictate(ThreeWords())); break;
            case Action::Transcribe:
                session->SetText(IDC_PATH, shortFile);
                session->Click(IDC_TRANSCRIBE);
                break;
            case Action::Stop: session->Click(IDC_STOP); break;
            case Action::CheckSnr:
                session->SetText(IDC_PATH, shortFile);
                session->Click(IDC_CHECK_SNR);
                break;
            case Action::PaintSlider:
                InvalidateRect(session->Control(IDC_SPEED_ACCURACY), nullptr, TRUE);
                break;
            }
            std::vector<std::wstring> texts;
            for (size_t i = 0; i < c.texts.size(); ++i) {
                // Only the HRESULT report carries the code and the description.
                if (i == 0)
                    texts.push_back(c.result == E_ACCESSDENIED
                                        ? Expected(c.texts[i], description)
                                        : std::wstring(c.texts[i]) + L" (HRESULT 0x80070057)" +
                                              (description
                                                   ? std::wstring(L"\n\"") + description + L"\""
                                                   : L""));
                else
                    texts.push_back(c.texts[i]);
            }
            EXPECT_TRUE(
                driver::WaitUntil([&] { return Injected(session, c.operation) > injected; }));
            ExpectBoxes(session, texts);
            if (c.action == Action::Dictate) {
                EXPECT_TRUE(driver::WaitUntil([&] { return EventsEnded(session, "1") > results; }));
            }
            // A failed stop leaves the transcription running to its end.
            if (c.action == Action::Stop || (c.action == Action::Transcribe && texts.empty())) {
                EXPECT_TRUE(driver::WaitUntil([&] { return EventsEnded(session, "7") > ends; }));
            }
            EXPECT_TRUE(driver::WaitUntil([&] { return !session->IsEnabled(IDC_STOP); }));
            EXPECT_TRUE(session->Running());
            ASSERT_TRUE(standin::control::SendRequest(session.Requests(), "clear-failures\n"));
            Record(c.operation + (c.nth > 1 ? " #" + std::to_string(c.nth) : ""), c.context,
                   texts.empty()       ? "nothing, goes on"
                   : texts.size() == 1 ? "box, goes on"
                                       : std::to_string(texts.size()) + " boxes, goes on",
                   description, before);
        }
    }

    // A complete utterance after all of that is still measured.
    size_t results = EventsEnded(session, "1");
    ASSERT_TRUE(session.Dictate(ThreeWords()));
    EXPECT_TRUE(driver::WaitUntil([&] { return EventsEnded(session, "1") > results; }));
    EXPECT_TRUE(session->MessageBoxes().empty());
    // and logged whole, in order, after every failed analysis before it.
    std::vector<std::string> log = testfiles::Lines(testfiles::Read(session->SessionLogPath()));
    auto last = std::find_if(log.rbegin(), log.rend(), [](const std::string& line) {
        return line.rfind("Utterance #: ", 0) == 0;
    });
    ASSERT_NE(last, log.rend());
    std::vector<std::string> block(last.base() - 1, log.end());
    std::vector<std::string> expected = {"80 : one",
                                         "60 : two",
                                         "70 : three",
                                         "80 : one <---> Maximum Score",
                                         "60 : two <---> Minimum Score",
                                         "70 : <---> Average Score"};
    auto next = block.begin();
    for (const std::string& line : expected) {
        next = std::find(next, block.end(), line);
        EXPECT_NE(next, block.end()) << line << " in " << testing::PrintToString(block);
    }

    // Withdrawing the sink at Exit: its failures are not examined and the program ends as ever.
    int before = FailuresSoFar();
    ASSERT_TRUE(session.Arm(Fail("IConnectionPoint.Unadvise", E_ACCESSDENIED)));
    session->Click(IDOK);
    EXPECT_EQ(session->WaitForExit(), 0u);
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(Injected(session, "IConnectionPoint.Unadvise"), 1u);
    ExpectNothingLeft(session);
    Record("IConnectionPoint.Unadvise", "exit", "nothing, ends normally", nullptr, before);
}

TEST(FailureSweep, ExitFindsNoConnectionPointAndStillEndsCleanly)
{
    for (const wchar_t* description : {static_cast<const wchar_t*>(nullptr), kDescription}) {
        SCOPED_TRACE(description ? "with a description" : "without a description");
        int before = FailuresSoFar();
        Session session;
        ASSERT_TRUE(session.Start());
        ASSERT_TRUE(session.Arm(Fail("IConnectionPointContainer.FindConnectionPoint",
                                     E_ACCESSDENIED, FailWhen::Always, 0, description)));
        session->Click(IDOK);
        EXPECT_EQ(session->WaitForExit(), 0u);
        EXPECT_TRUE(session->MessageBoxes().empty());
        ExpectNothingLeft(session);
        Record("IConnectionPointContainer.FindConnectionPoint", "exit", "nothing, ends normally",
               description, before);
    }
}

// The failures that end a running program: its box, then the end.
TEST(FailureSweep, FatalRunningFailuresShowTheirBoxAndEndTheProgram)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"short.wav", 1);
    struct Case
    {
        std::string operation;
        HRESULT result;
        std::string context;
        bool plain; // shown as it is, without the code or a description
        const wchar_t* text;
    } cases[] = {
        {"DgnEngineControl.Create", E_ACCESSDENIED, "slider paint", false,
         L"Couldn't create a DgnEngineControl"},
        {"IDgnEditDictation.TranscribeFile", E_NOTIMPL, "transcribing (E_NOTIMPL)", true,
         kNoTranscription},
    };
    for (const Case& c : cases) {
        for (const wchar_t* description : {static_cast<const wchar_t*>(nullptr), kDescription}) {
            SCOPED_TRACE(c.operation + " in " + c.context +
                         (description ? " with a description" : ""));
            int before = FailuresSoFar();
            Session session;
            ASSERT_TRUE(session.Start());
            ASSERT_TRUE(session.Arm(Fail(c.operation, c.result, FailWhen::Always, 0, description)));
            if (c.plain) {
                session->SetText(IDC_PATH, file);
                session->Click(IDC_TRANSCRIBE);
            } else {
                InvalidateRect(session->Control(IDC_SPEED_ACCURACY), nullptr, TRUE);
            }
            std::optional<MessageBoxInfo> box = session->WaitForMessageBox();
            ASSERT_TRUE(box);
            ExpectErrorBox(session, *box,
                           c.plain ? std::wstring(c.text) : Expected(c.text, description));
            session->Dismiss(*box);
            EXPECT_EQ(session->WaitForExit(), 0u);
            EXPECT_TRUE(session->MessageBoxes().empty());
            ExpectNothingLeft(session);
            Record(c.operation, c.context, "fatal box, ends", description, before);
        }
    }
}
