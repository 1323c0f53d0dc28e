// Shared by the stand-in's tests: a COM apartment with a scenario and journal of its own, an
// event sink, a message pump with a timeout, raw vtable calls and synthetic WAV files.
#pragma once

#include "files.h"
#include "standin_control.h"

#include "engine/dgn_interfaces.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace standin::testing {

// Calls the method at place p (counted after IDispatch's), at vtable index 6 + p.
template <class... Args> HRESULT CallPlace(void* object, int place, Args... args)
{
    void** vtable = *static_cast<void***>(object);
    auto method = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Args...)>(vtable[6 + place]);
    return method(object, args...);
}

// Each test runs in an apartment of its own, with a scenario file and a journal in a scratch
// folder named in the environment that the stand-in reads.
class StandinTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteScenario(const control::Scenario& scenario);
    std::vector<control::JournalEntry> Journal() const;
    std::wstring Path(const wchar_t* name) const { return scratch_ / name; }

    ComPtr<IDgnEngineControl> CreateEngine();
    ComPtr<IDgnEditDictation> CreateDictation();
    HWND RequestWindow();

    testfiles::ScratchFolder scratch_;
};

// Runs the thread's messages until the condition holds; false after the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// How often the stand-in sent the event, heard by a sink or not.
size_t EventsSent(const std::vector<control::JournalEntry>& journal, DISPID id);

// Records the dispatch ids it is invoked with and the thread they come on.
class EventSink : public IDispatch
{
public:
    std::vector<DISPID> ids;
    std::vector<DWORD> threads;
    std::function<void(DISPID)> onEvent;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override;
};

// Connects the sink to the dictation object's events; the cookie, or 0.
DWORD Advise(IDgnEditDictation* dictation, IUnknown* sink);
HRESULT Unadvise(IDgnEditDictation* dictation, DWORD cookie);

// A PCM WAV file of the samples (full scale 1.0), every channel the same.
std::string WavBytes(const std::vector<float>& samples, unsigned rate, unsigned channels,
                     unsigned bits);

struct Burst
{
    double startMs;
    double endMs;
};

// Tones in the bursts over white noise, at the given ratio of tone power to noise power.
std::vector<float> BurstsInNoise(const std::vector<Burst>& bursts, double totalMs, unsigned rate,
                                 double snrDb, unsigned seed = 7);

// The text of the thread's error object; empty when there is none.
std::wstring ErrorDescription();

} // namespace standin::testing
