// The test side of the stand-in engine: scenario files, requests to a running stand-in, its
// journal, and its type library's registration. Formats are described in standin/README.md.
#pragma once

#include "core/script.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace standin::control {

// Environment variables that the stand-in reads in the process that loads it (Windows paths).
inline constexpr wchar_t kScenarioVariable[] = L"TARVELL_STANDIN_SCENARIO";
inline constexpr wchar_t kJournalVariable[] = L"TARVELL_STANDIN_JOURNAL";

// Lines of the script grammar, for scenario files and requests alike.
std::string FailLine(const FailureRule& rule);
std::string DictateLines(const Utterance& utterance);
std::string TextArgument(const std::wstring& text); // escaped for the end of a line

// A scenario file, built line by line.
class Scenario
{
public:
    Scenario& Speaker(const std::wstring& name);
    Scenario& Version(short major, short minor, short build);
    Scenario& Source(LONG id, const std::wstring& name);
    Scenario& Model(const std::wstring& name);
    Scenario& Vocabulary(const std::wstring& name);
    // type is a VARIANT type name of the grammar ("I4", "I2", "R8", "BSTR", ...).
    Scenario& Parameter(LONG number, const std::string& type, const std::string& value);
    Scenario& ProcessingMs(double ms);
    Scenario& Fail(const FailureRule& rule);
    Scenario& Line(const std::string& line);

    const std::string& Text() const { return text_; }
    bool WriteTo(const std::wstring& path) const;

private:
    std::string text_;
};

// The local server's executable.
inline constexpr wchar_t kServerExecutable[] = L"tarvell_standin_server.exe";

// The request window of the stand-in's dictation object in a process; null after the timeout.
HWND FindRequestWindow(DWORD processId, DWORD timeoutMs);
// Every request window of a process: a server holds one for each dictation object it has made.
std::vector<HWND> RequestWindowsOf(DWORD processId);

struct ProcessEntry
{
    DWORD id;
    DWORD parentId;
};
// The running processes of this image name (of this Wine prefix: no other is visible).
std::vector<ProcessEntry> ProcessesNamed(const wchar_t* image);
// The local servers running: the program's children first. Wine may start a server from its
// RPC service instead of the program, so a test that runs alone also finds it among the rest.
std::vector<DWORD> ServerProcessesOf(DWORD programId);
// Only the local servers that this program started (COM starts one from the process that asks).
std::vector<DWORD> ServersStartedBy(DWORD programId);
// The request window of the dictation object that a program uses, in the program's own
// process (DLL) or in a server started for it (local server).
HWND FindEngineRequestWindow(DWORD programId, DWORD timeoutMs);
// Sends script text; true when the stand-in took it (it refuses a script with a syntax error).
bool SendRequest(HWND window, const std::string& script);
bool Dictate(HWND window, const Utterance& utterance);
bool RaiseEvent(HWND window, DISPID id);
bool Arm(HWND window, const FailureRule& rule);

// One journal line: time in microseconds, the process that wrote it, kind, and the fields.
struct JournalEntry
{
    long long micros = 0;
    DWORD process = 0;
    std::string kind;
    std::vector<std::string> fields;

    // For kind "call": operation, arguments, outputs, HRESULT, and "injected" when armed.
    bool IsCall(const std::string& operation) const;
    const std::string& Operation() const { return Field(0); }
    const std::string& Arguments() const { return Field(1); }
    const std::string& Outputs() const { return Field(2); }
    HRESULT Result() const;
    bool Injected() const { return Field(4) == "injected"; }
    const std::string& Field(size_t index) const;
};

struct Summary
{
    std::string reason; // last-release, request or unload
    long objects = 0;
    long bstrs = -1; // -1: not counted (unknown, or n/a across processes)
    std::string alive;
};

std::vector<JournalEntry> ReadJournal(const std::wstring& path);
std::vector<JournalEntry> CallsOf(const std::vector<JournalEntry>& journal,
                                  const std::string& operation);
// Dispatch ids in the order their Invoke started.
std::vector<DISPID> EventsRaised(const std::vector<JournalEntry>& journal);
std::optional<Summary> LastSummary(const std::vector<JournalEntry>& journal);

// Registers or removes only the type library of the stand-in DLL (the classes stay).
HRESULT SetTypeLibraryRegistered(const std::wstring& dllPath, bool registered);

} // namespace standin::control
