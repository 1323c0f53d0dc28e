// One run of the real program against the stand-in engine: a scenario written before the
// start, the stand-in's journal read afterwards, requests to it while the program runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "control/standin_control.h"
#include "files.h"
#include "tarvell_driver.h"

namespace e2e {

using standin::FailureRule;
using standin::FailWhen;
using standin::Utterance;
using standin::Word;
using standin::control::JournalEntry;
using standin::control::Scenario;

// A loaded user with a complete profile.
Scenario NormalProfile();

FailureRule Fail(const std::string& operation, HRESULT result, FailWhen when = FailWhen::Always,
                 long n = 0, const wchar_t* description = nullptr);

// Whether the stand-in is registered here in its local-server form (a process of its own).
bool EngineOutOfProcess();
// The unfreed strings the journal's summary should give: none in-process; across processes the
// marshaler frees the server's copies and the journal says "n/a" (-1), as it cannot count them.
long ExpectedUnfreedStrings();

class Session
{
public:
    explicit Session(const Scenario& scenario = NormalProfile());
    // Ends the program if it still runs, and any local server started for it: one left behind
    // would serve the next session with this one's scenario and journal.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    driver::Tarvell& Program() { return *program_; }
    driver::Tarvell* operator->() { return program_.get(); }

    // Waits for the dialog; when it is up and the dictation object exists, also for the
    // stand-in's request window.
    bool Start();
    HWND Requests();

    bool Dictate(const Utterance& utterance);
    bool RaiseEvent(DISPID id);
    bool Arm(const FailureRule& rule);

    std::vector<JournalEntry> Journal() const;
    std::vector<JournalEntry> Calls(const std::string& operation) const;

    // Dismisses every box as it comes and waits for the program's end; its exit code, or
    // 0xFFFFFFFF when it did not end.
    DWORD EndWithExit();

    // Has the engine's process end at once, as a crash would, and waits until it has gone:
    // false when the engine is not in a process of its own.
    bool CrashEngine();

private:
    testfiles::ScratchFolder folder_;
    std::wstring journal_;
    std::unique_ptr<driver::Tarvell> program_;
    HWND requests_ = nullptr;
};

// One word said in one second.
Utterance Said(const std::wstring& text, LONG score = 80);

// A WAV of tone bursts of 600 ms with pauses of 500 ms between them, over quiet noise.
std::wstring SpokenFile(const testfiles::ScratchFolder& folder, const wchar_t* name, int bursts,
                        double snrDb = 30);

} // namespace e2e
