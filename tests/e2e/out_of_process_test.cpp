// The program against the stand-in's local server: every engine call and event crosses
// processes through the type-library marshaler. The fixture registers the local server for
// these tests and the DLL again afterwards.
#include <gtest/gtest.h>

#include "engine/dgn_interfaces.h"
#include "engine_session.h"

#include <algorithm>

#include <commctrl.h>
#include <oleauto.h>
#include <psapi.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "standin_test_support.h"

using Microsoft::WRL::ComPtr;
using namespace e2e;

namespace {

// The marshaler reaches the same methods as the program's declarations (index 6 + place).
struct Place
{
    const wchar_t* name;
    int place;
};

struct Described
{
    IID iid;
    int lastPlace;
    std::vector<Place> named;
};

// Where the type library puts a method, as a place; -1 when it has none of that name.
int PlaceOf(ITypeInfo* info, const TYPEATTR& attributes, const wchar_t* name)
{
    for (UINT i = 0; i < attributes.cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        BSTR found = nullptr;
        UINT count = 0;
        info->GetNames(function->memid, &found, 1, &count);
        int place = static_cast<int>(function->oVft / sizeof(void*)) - 6;
        bool same = found && lstrcmpW(found, name) == 0;
        SysFreeString(found);
        info->ReleaseFuncDesc(function);
        if (same)
            return place;
    }
    return -1;
}

// Whether a process has a module of this file name loaded.
bool HasModule(DWORD processId, const wchar_t* fileName)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr)
        return false;
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    bool found = false;
    if (EnumProcessModules(process, modules.data(),
                           static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed)) {
        modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
        for (HMODULE module : modules) {
            wchar_t name[MAX_PATH] = {};
            if (GetModuleBaseNameW(process, module, name, MAX_PATH) &&
                lstrcmpiW(name, fileName) == 0)
                found = true;
        }
    }
    CloseHandle(process);
    return found;
}

bool Busy(Session& session)
{
    return session->IsEnabled(IDC_STOP);
}

// Dismisses the program's boxes as they come, keeping their texts, until it ends by itself or
// stands idle with none; then presses Exit. The exit code, or none when it stays busy.
std::optional<DWORD> EndAfterBoxes(Session& session, std::vector<std::wstring>& texts)
{
    while (std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox(3000)) {
        texts.push_back(box->text);
        session->Dismiss(*box);
        if (std::optional<DWORD> code = session->WaitForExit(1000))
            return code;
    }
    if (std::optional<DWORD> code = session->WaitForExit(0))
        return code;
    if (Busy(session))
        return std::nullopt;
    return session->Exit();
}

// Whether every text is one of the program's own reports of a failed engine call.
bool AllEngineReports(const std::vector<std::wstring>& texts)
{
    return !texts.empty() && std::all_of(texts.begin(), texts.end(), [](const std::wstring& text) {
        return text.find(L" (HRESULT 0x") != std::wstring::npos;
    });
}

// The words of the word lines ("80 : word", not the maximum and minimum lines), in order.
std::vector<std::wstring> ListedWords(Session& session)
{
    std::vector<std::wstring> words;
    for (const std::wstring& line : session->ListLines(IDC_RESULTS))
        if (line.rfind(L"80 : ", 0) == 0 && line.find(L"<--->") == std::wstring::npos)
            words.push_back(line.substr(5));
    return words;
}

std::vector<std::string> LoggedWords(const std::wstring& log)
{
    std::vector<std::string> words;
    for (const std::string& line : testfiles::Lines(testfiles::Read(log)))
        if (line.rfind("80 : ", 0) == 0 && line.find("<--->") == std::string::npos)
            words.push_back(line.substr(5));
    return words;
}

// Unregisters the stand-in's type library for a test, and registers the server again after it.
class TypeLibraryAway
{
public:
    TypeLibraryAway()
    {
        removed_ = UnRegisterTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0,
                                     sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    }
    ~TypeLibraryAway()
    {
        wchar_t clsid[64] = {};
        StringFromGUID2(CLSID_DgnEngineControl, clsid, 64);
        wchar_t server[MAX_PATH] = {};
        LONG size = sizeof server;
        std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\LocalServer32";
        if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), server, &size) != ERROR_SUCCESS)
            return;
        // The registered command line names the server, quoted.
        std::wstring command = std::wstring(server) + L" /RegServer";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return;
        WaitForSingleObject(process.hProcess, driver::kStartTimeoutMs);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // The suites after this one need it.
        ComPtr<ITypeLib> library;
        if (FAILED(LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0, &library)))
            ADD_FAILURE() << "the type library was not registered again";
    }
    TypeLibraryAway(const TypeLibraryAway&) = delete;
    TypeLibraryAway& operator=(const TypeLibraryAway&) = delete;

    HRESULT Removed() const { return removed_; }

private:
    HRESULT removed_;
};

} // namespace

TEST(OutOfProcess, TheProgramMeasuresAnEngineInAProcessOfItsOwn)
{
    e2e::Session session;
    ASSERT_TRUE(session.Start());
    HWND requests = session.Requests();
    ASSERT_NE(requests, nullptr);
    DWORD server = 0;
    GetWindowThreadProcessId(requests, &server);
    EXPECT_NE(server, session->ProcessId());
    EXPECT_FALSE(HasModule(session->ProcessId(), L"tarvell_standin.dll"));

    e2e::Utterance spoken;
    spoken.words = {{7, L"alpha"}, {4, L"bravo"}};
    spoken.start = std::make_pair(0L, 1000L);
    spoken.end = std::make_pair(0L, 2500L);
    spoken.phraseCount = 2;
    ASSERT_TRUE(session.Dictate(spoken));
    size_t lines = 0;
    ASSERT_TRUE(driver::WaitWhileProgressing(
        [&] { return (lines = session->ListLines(IDC_RESULTS).size()) >= 11; },
        [&] { return lines; }));
    std::vector<std::wstring> shown = session->ListLines(IDC_RESULTS);
    ASSERT_GE(shown.size(), 11u);
    EXPECT_EQ(shown[3], L"7 : alpha");
    EXPECT_EQ(shown[4], L"4 : bravo");
    EXPECT_EQ(shown[6], L"7 : alpha <---> Maximum Score");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(OutOfProcess, TheTypeLibraryDescribesEveryInterfacePlaceForPlace)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0, &library), S_OK);
    const std::vector<Described> interfaces = {
        {__uuidof(ResultTime), 2, {{L"GetHighPart", 1}, {L"GetLowPart", 2}}},
        {__uuidof(IDgnResWord), 4, {{L"get_Text", 1}, {L"get_ConfidenceScore", 4}}},
        {__uuidof(IDgnResWords), 2, {{L"get_Item", 1}, {L"GetCount", 2}}},
        {__uuidof(IDgnResPhrase), 2, {{L"get_Words", 2}}},
        {__uuidof(ResultPhraseList), 2, {{L"get_Item", 1}, {L"GetCount", 2}}},
        {__uuidof(IDgnResult), 3, {{L"GetStartTime", 1}, {L"GetEndTime", 2}, {L"GetPhrases", 3}}},
        {IID_IDgnEngineControl,
         113,
         {{L"get_Speaker", 4},
          {L"GetVocabularyName", 10},
          {L"GetEngineVersion", 24},
          {L"GetState", 52},
          {L"SetFeature", 56},
          {L"GetParameter", 57},
          {L"SetParameter", 58},
          {L"GetSourceName", 68},
          {L"GetCurrentSource", 74},
          {L"GetModelName", 81},
          {L"GetWaveFileSNR", 113}}},
        {IID_IDgnEditDictation,
         39,
         {{L"Register", 1},
          {L"TranscribeFile", 19},
          {L"TranscribeStop", 20},
          {L"get_LastResult", 37},
          {L"SetOption", 39}}},
    };
    for (const Described& described : interfaces) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(described.iid, &info), S_OK);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        // The vtable ends with the last place the program calls.
        EXPECT_EQ(attributes->cbSizeVft, (7 + described.lastPlace) * sizeof(void*));
        for (const Place& place : described.named)
            EXPECT_EQ(PlaceOf(info.Get(), *attributes, place.name), place.place) << place.name;
        info->ReleaseTypeAttr(attributes);
    }
}

// The program's own box runs a message loop of its own; the engine's events reach the program
// through it, each measured once and in the order spoken.
TEST(OutOfProcess, EventsThatArriveWhileABoxIsOpenAreMeasuredOnceInOrder)
{
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_CURRENT_SPEED) == L"40"; }));
    ASSERT_TRUE(session.Arm(Fail("DgnEngineControl.Create", E_UNEXPECTED)));
    InvalidateRect(session->Control(IDC_SPEED_ACCURACY), nullptr, TRUE);
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    const std::vector<std::wstring> spoken = {L"one", L"two", L"three"};
    for (const std::wstring& word : spoken)
        ASSERT_TRUE(session.Dictate(Said(word)));
    ASSERT_TRUE(driver::WaitWhileProgressing([&] { return session->Text(IDC_UTTERANCES) == L"3"; },
                                             [&] { return session->Text(IDC_UTTERANCES); }));
    EXPECT_EQ(session->MessageBoxes().size(), 1u);
    EXPECT_EQ(ListedWords(session), spoken);
    EXPECT_EQ(LoggedWords(session->SessionLogPath()),
              (std::vector<std::string>{"one", "two", "three"}));
    // The engine is gone for the program: the box ends it.
    session->Dismiss(*box);
    EXPECT_EQ(session->WaitForExit(), 0u);
}

// A paint of the slider waits in its engine calls, and COM's loop paints the slider again
// inside them: the inner write ends first. The engine must still end at the slider's position.
TEST(OutOfProcess, ASliderMovedWhileItsWriteWaitsLeavesTheEngineAtTheLastPosition)
{
    Session session;
    ASSERT_TRUE(session.Start());
    auto writes = [&] { return session.Calls("IDgnEngineControl.SetParameter"); };
    ASSERT_TRUE(driver::WaitUntil([&] { return !writes().empty(); }));
    // The engine's thread works on an utterance for four seconds: calls to it wait meanwhile.
    Utterance slow = Said(L"slow");
    slow.processingMs = 4000;
    ASSERT_TRUE(session.Dictate(slow));
    ASSERT_TRUE(driver::WaitUntil([&] {
        for (const JournalEntry& entry : session.Journal())
            if (entry.kind == "event-end" &&
                entry.Field(0) == std::to_string(kDgnEventRecognitionStarted))
                return true;
        return false;
    }));
    size_t before = writes().size();
    HWND slider = session->Control(IDC_SPEED_ACCURACY);
    auto move = [&](LPARAM position) {
        SendMessageTimeoutW(slider, TBM_SETPOS, TRUE, position, SMTO_BLOCK, driver::kTimeoutMs,
                            nullptr);
    };
    move(60);
    // Its paint has begun once the update region is empty; it then waits in its first call.
    ASSERT_TRUE(driver::WaitUntil([&] { return !GetUpdateRect(slider, nullptr, FALSE); }));
    move(70);
    ASSERT_TRUE(driver::WaitWhileProgressing([&] { return writes().size() >= before + 2; },
                                             [&] { return writes().size(); }));
    EXPECT_TRUE(driver::WaitUntil([&] {
        return writes().back().Arguments() == "7 I4:70" &&
               session->Text(IDC_CURRENT_SPEED) == L"70";
    })) << writes().back().Arguments();
    EXPECT_EQ(session->Exit(), 0u);
}

// A crashed engine: the operation that needs it next fails through the program's own report,
// what was measured stays in the list and the session log, and the program ends as ever.
TEST(OutOfProcess, AnEngineThatCrashesWhileTheProgramRunsIsReportedAndNothingIsLost)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"two.wav", 2);
    Session session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.Dictate(Said(L"before")));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == L"1"; }));
    std::wstring log = session->SessionLogPath();
    std::string logged = testfiles::Read(log);
    ASSERT_TRUE(session.CrashEngine());

    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    ASSERT_TRUE(session->WaitForMessageBox());
    EXPECT_EQ(ListedWords(session), std::vector<std::wstring>{L"before"});
    EXPECT_EQ(testfiles::Read(log).rfind(logged, 0), 0u);
    EXPECT_EQ(LoggedWords(log), std::vector<std::string>{"before"});
    std::vector<std::wstring> texts;
    EXPECT_EQ(EndAfterBoxes(session, texts), 0u);
    EXPECT_TRUE(AllEngineReports(texts)) << testing::PrintToString(texts);
}

// A transcription's end comes only from the engine: once its process has gone, the dialog
// must not stay busy for good. The program reports the failure and ends, or leaves the busy
// state at the failed stop.
TEST(OutOfProcess, AnEngineThatCrashesDuringATranscriptionLeavesNoDialogBusyForGood)
{
    testfiles::ScratchFolder folder;
    std::wstring file = SpokenFile(folder, L"ten.wav", 10);
    Scenario paced = NormalProfile();
    paced.Line("file-rtf 1.0");
    Session session(paced);
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, file);
    session->Click(IDC_TRANSCRIBE);
    // Under way: the call has come back and a result has been measured.
    ASSERT_TRUE(driver::WaitUntil(
        [&] {
            return !session.Calls("IDgnEditDictation.TranscribeFile").empty() &&
                   !session->Text(IDC_UTTERANCES).empty();
        },
        30000));
    ASSERT_TRUE(session.CrashEngine());
    EXPECT_TRUE(Busy(session));

    session->Click(IDC_STOP);
    std::vector<std::wstring> texts;
    EXPECT_EQ(EndAfterBoxes(session, texts), 0u);
    EXPECT_TRUE(AllEngineReports(texts)) << testing::PrintToString(texts);
}

// Without the type library nothing can carry the engine's interfaces across: the first engine
// object the program asks for fails, and the program ends as for any start-up failure.
TEST(OutOfProcess, WithoutTheTypeLibraryTheFirstEngineObjectFailsAndTheProgramEnds)
{
    TypeLibraryAway away;
    ASSERT_EQ(away.Removed(), S_OK);
    Session session;
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox(driver::kStartTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.rfind(L"Couldn't create a DgnEngineControl (HRESULT 0x", 0), 0u)
        << testing::PrintToString(box->text);
    EXPECT_NE(session.EndWithExit(), 0xFFFFFFFFu);
    EXPECT_TRUE(session.Calls("IDgnEngineControl.GetEngineVersion").empty());
}
