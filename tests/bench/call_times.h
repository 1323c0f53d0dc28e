// The bench's side of tarvell_call_timer.dll: loading it into a running process, and reading
// what it recorded there.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace bench {

// The variable naming the folder the timer writes into; a process started without it is left
// untimed even with the timer loaded.
constexpr const wchar_t* kCallTimesVariable = L"TARVELL_CALL_TIMES";

// One outermost call into the process: when it came, its whole span, the part spent outside
// the calls it made out (the process's own time), and how many it made.
struct IncomingCall
{
    long long start = 0;
    long long span = 0;
    long long own = 0;
    int outCalls = 0;
};

// Loads the DLL into the process by a thread started there at LoadLibraryW.
bool LoadInto(DWORD processId, const std::wstring& dllPath);

// Loads the timer, from beside this executable, into a client of the stand-in (this process or
// another) and into every local server that the client started.
bool TimeCallsOf(DWORD clientId);

std::vector<IncomingCall> ReadIncomingCalls(const std::wstring& folder, DWORD processId);

} // namespace bench
