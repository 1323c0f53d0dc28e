// Loaded by the bench into the program and into the local server it talks to: a COM channel
// hook that times, on each thread, the calls that leave the process and the calls that come in.
// An incoming call's own time is its span less the time spent waiting in the calls it made
// out; only the outermost incoming calls are kept, each with its start, so that the bench can
// give every result event the program's own time inside it. Records go, at the process's end,
// to TARVELL_CALL_TIMES\calls-<process id>.txt: "start_us span_us own_us out_calls" a line.
// A process without that variable is left alone.
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <vector>

#include "call_times.h"
#include "core/spectral_work.h"

namespace {

// The stand-in's journal stamps by the same clock: the two are set side by side.
using standin::NowMicroseconds;

struct Frame
{
    bool incoming;
    long long start;
    long long inner = 0; // the other kind's time nested inside this one
    int outCalls = 0;
};

struct Record
{
    long long start, span, own;
    int outCalls;
};

thread_local std::vector<Frame> frames;
CRITICAL_SECTION recordsLock;
std::vector<Record> records;
wchar_t outPath[MAX_PATH];

void Push(bool incoming)
{
    frames.push_back({incoming, NowMicroseconds()});
}

// Closes the innermost frame if it is of this kind: an incoming call's value is its own time,
// an outgoing call's the time spent waiting on the other process.
void Pop(bool incoming)
{
    long long now = NowMicroseconds();
    if (frames.empty() || frames.back().incoming != incoming)
        return;
    Frame frame = frames.back();
    frames.pop_back();
    long long value = now - frame.start - frame.inner;
    bool outermostIncoming = incoming;
    for (const Frame& open : frames)
        outermostIncoming = outermostIncoming && !open.incoming;
    if (!frames.empty()) {
        frames.back().inner += value;
        frames.back().outCalls += incoming ? frame.outCalls : 1;
    }
    if (outermostIncoming) {
        EnterCriticalSection(&recordsLock);
        records.push_back({frame.start, now - frame.start, value, frame.outCalls});
        LeaveCriticalSection(&recordsLock);
    }
}

// The stamp each outgoing call carries: the far side's hook only hears of a call that has one.
const ULONG kStampSize = sizeof(long long);

class Hook : public IChannelHook
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IChannelHook) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    void STDMETHODCALLTYPE ClientGetSize(REFGUID, REFIID, ULONG* size) override
    {
        Push(false);
        *size = kStampSize;
    }
    void STDMETHODCALLTYPE ClientFillBuffer(REFGUID, REFIID, ULONG* size, void* buffer) override
    {
        long long stamp = NowMicroseconds();
        CopyMemory(buffer, &stamp, kStampSize);
        *size = kStampSize;
    }
    void STDMETHODCALLTYPE ClientNotify(REFGUID, REFIID, ULONG, void*, DWORD, HRESULT) override
    {
        Pop(false);
    }
    void STDMETHODCALLTYPE ServerNotify(REFGUID, REFIID, ULONG, void*, DWORD) override
    {
        Push(true);
    }
    void STDMETHODCALLTYPE ServerGetSize(REFGUID, REFIID, HRESULT, ULONG* size) override
    {
        Pop(true);
        *size = 0;
    }
    void STDMETHODCALLTYPE ServerFillBuffer(REFGUID, REFIID, ULONG* size, void*, HRESULT) override
    {
        *size = 0;
    }
};

Hook hook;
// This hook's extension on the wire.
const GUID kExtension = {
    0x5d0c7b3e, 0x41a2, 0x4e6f, {0x9b, 0x17, 0x2c, 0x8e, 0x60, 0x4d, 0xa9, 0x13}};

void Write()
{
    FILE* file = _wfopen(outPath, L"wb");
    if (!file)
        return;
    EnterCriticalSection(&recordsLock);
    for (const Record& r : records)
        std::fprintf(file, "%lld %lld %lld %d\n", r.start, r.span, r.own, r.outCalls);
    LeaveCriticalSection(&recordsLock);
    std::fclose(file);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t folder[MAX_PATH - 40];
        DWORD length = GetEnvironmentVariableW(bench::kCallTimesVariable, folder, MAX_PATH - 40);
        if (length == 0 || length >= MAX_PATH - 40)
            return TRUE;
        swprintf(outPath, MAX_PATH, L"%ls\\calls-%lu.txt", folder, GetCurrentProcessId());
        InitializeCriticalSection(&recordsLock);
        // Grown in the hook it would cost inside the spans it times.
        records.reserve(1 << 18);
        CoRegisterChannelHook(kExtension, &hook);
    } else if (reason == DLL_PROCESS_DETACH && outPath[0]) {
        Write();
    }
    return TRUE;
}
