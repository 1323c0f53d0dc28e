#include "engine_session.h"

#include <cstdio>

#include "resources/resource.h"
#include "standin_test_support.h"

namespace e2e {

namespace control = standin::control;

Scenario NormalProfile()
{
    Scenario scenario;
    scenario.Speaker(L"Ada Lovelace")
        .Version(12, 5, 301)
        .Source(3, L"USB Headset")
        .Model(L"General Large")
        .Vocabulary(L"General English")
        .Parameter(7, "I4", "40");
    return scenario;
}

FailureRule Fail(const std::string& operation, HRESULT result, FailWhen when, long n,
                 const wchar_t* description)
{
    FailureRule rule;
    rule.operation = operation;
    rule.result = result;
    rule.when = when;
    rule.n = n;
    if (description)
        rule.description = description;
    return rule;
}

namespace {

// The program runs one copy per session, held by its mutex: the copy of the test before may
// still hold it for a moment after its process has been seen to end, and a copy started then
// ends at once, as a second copy does.
void WaitForTheLastCopyToGo()
{
    driver::WaitUntil([] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"{709A8BED-95A9-4598-A4B1-8BDB6A78EFD8}");
        if (mutex == nullptr)
            return true;
        CloseHandle(mutex);
        return false;
    });
}

// A new session starts its own local server, with its scenario and journal: a server of an
// earlier session still ending would answer it instead. Said on stderr when one stays.
void WaitForTheLastServerToGo()
{
    if (driver::WaitUntil([] { return control::ServerProcessesOf(0).empty(); }))
        return;
    for (const control::ProcessEntry& server : control::ProcessesNamed(control::kServerExecutable))
        std::fprintf(stderr, "a local server of an earlier session still runs: %lu\n",
                     static_cast<unsigned long>(server.id));
}

} // namespace

Utterance Said(const std::wstring& text, LONG score)
{
    Utterance utterance;
    utterance.words.push_back(Word{score, text});
    utterance.start = std::make_pair(0L, 0L);
    utterance.end = std::make_pair(0L, 1000L);
    return utterance;
}

bool EngineOutOfProcess()
{
    wchar_t clsid[64] = {};
    StringFromGUID2(CLSID_DgnEngineControl, clsid, 64);
    HKEY key = nullptr;
    std::wstring path = std::wstring(L"CLSID\\") + clsid + L"\\LocalServer32";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

long ExpectedUnfreedStrings()
{
    return EngineOutOfProcess() ? -1 : 0;
}

Session::Session(const Scenario& scenario) : journal_(folder_ / L"journal.txt")
{
    WaitForTheLastCopyToGo();
    WaitForTheLastServerToGo();
    std::wstring scenarioPath = folder_ / L"scenario.txt";
    scenario.WriteTo(scenarioPath);
    program_ = std::make_unique<driver::Tarvell>(driver::Tarvell::Environment{
        {control::kScenarioVariable, scenarioPath}, {control::kJournalVariable, journal_}});
}

Session::~Session()
{
    DWORD programId = program_->ProcessId();
    program_.reset();
    for (DWORD id : control::ServersStartedBy(programId)) {
        HANDLE server = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        if (server == nullptr)
            continue;
        // It ends by itself once the program has let go of its last object, or has ended.
        if (WaitForSingleObject(server, driver::kTimeoutMs) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "the local server %lu did not end: ended by force\n",
                         static_cast<unsigned long>(id));
            TerminateProcess(server, 99);
        }
        CloseHandle(server);
    }
}

bool Session::CrashEngine()
{
    if (control::ServersStartedBy(program_->ProcessId()).empty())
        return false;
    // No answer comes: the server ends while it handles the request.
    control::SendRequest(Requests(), "crash\n");
    return driver::WaitUntil(
        [&] { return control::ServersStartedBy(program_->ProcessId()).empty(); });
}

bool Session::Start()
{
    return program_->WaitForDialog();
}

HWND Session::Requests()
{
    if (requests_ == nullptr)
        requests_ = control::FindEngineRequestWindow(program_->ProcessId(), driver::kTimeoutMs);
    return requests_;
}

bool Session::Dictate(const Utterance& utterance)
{
    return control::Dictate(Requests(), utterance);
}

bool Session::RaiseEvent(DISPID id)
{
    return control::RaiseEvent(Requests(), id);
}

bool Session::Arm(const FailureRule& rule)
{
    return control::Arm(Requests(), rule);
}

std::vector<JournalEntry> Session::Journal() const
{
    return control::ReadJournal(journal_);
}

std::vector<JournalEntry> Session::Calls(const std::string& operation) const
{
    return control::CallsOf(Journal(), operation);
}

DWORD Session::EndWithExit()
{
    return program_->DismissBoxesUntilExit();
}

std::wstring SpokenFile(const testfiles::ScratchFolder& folder, const wchar_t* name, int bursts,
                        double snrDb)
{
    std::vector<standin::testing::Burst> spans;
    for (int i = 0; i < bursts; ++i)
        spans.push_back({300.0 + i * 1100.0, 900.0 + i * 1100.0});
    std::wstring path = folder / name;
    testfiles::Write(
        path, standin::testing::WavBytes(
                  standin::testing::BurstsInNoise(spans, 300.0 + bursts * 1100.0, 16000, snrDb),
                  16000, 1, 16));
    return path;
}

} // namespace e2e
