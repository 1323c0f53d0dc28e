#include "standin_test_support.h"

#include <oleauto.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace standin::testing {

void StandinTest::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    SetEnvironmentVariableW(control::kScenarioVariable, Path(L"scenario.txt").c_str());
    SetEnvironmentVariableW(control::kJournalVariable, Path(L"journal.txt").c_str());
    WriteScenario(control::Scenario());
}

void StandinTest::TearDown()
{
    CoUninitialize();
    SetEnvironmentVariableW(control::kScenarioVariable, nullptr);
    SetEnvironmentVariableW(control::kJournalVariable, nullptr);
}

void StandinTest::WriteScenario(const control::Scenario& scenario)
{
    ASSERT_TRUE(scenario.WriteTo(Path(L"scenario.txt")));
}

std::vector<control::JournalEntry> StandinTest::Journal() const
{
    return control::ReadJournal(Path(L"journal.txt"));
}

ComPtr<IDgnEngineControl> StandinTest::CreateEngine()
{
    ComPtr<IDgnEngineControl> engine;
    HRESULT hr =
        CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&engine));
    EXPECT_EQ(hr, S_OK);
    return engine;
}

ComPtr<IDgnEditDictation> StandinTest::CreateDictation()
{
    ComPtr<IDgnEditDictation> dictation;
    HRESULT hr = CoCreateInstance(CLSID_DgnDictEdit, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&dictation));
    EXPECT_EQ(hr, S_OK);
    return dictation;
}

HWND StandinTest::RequestWindow()
{
    HWND window = control::FindRequestWindow(GetCurrentProcessId(), 5000);
    EXPECT_NE(window, nullptr) << "the stand-in's request window never appeared";
    return window;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    while (!done()) {
        ULONGLONG now = GetTickCount64();
        if (now >= until)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

size_t EventsSent(const std::vector<control::JournalEntry>& journal, DISPID id)
{
    size_t count = 0;
    for (const control::JournalEntry& entry : journal) {
        if ((entry.kind == "event-begin" || entry.kind == "event-unheard") &&
            entry.Field(0) == std::to_string(id))
            ++count;
    }
    return count;
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DDgnDictEditEvents) {
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*)
{
    EXPECT_EQ(params->cArgs, 0u);
    ids.push_back(id);
    threads.push_back(GetCurrentThreadId());
    if (onEvent)
        onEvent(id);
    return S_OK;
}

DWORD Advise(IDgnEditDictation* dictation, IUnknown* sink)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(dictation->QueryInterface(IID_PPV_ARGS(&container))) ||
        FAILED(container->FindConnectionPoint(DIID__DDgnDictEditEvents, &point)) ||
        FAILED(point->Advise(sink, &cookie)))
        return 0;
    return cookie;
}

HRESULT Unadvise(IDgnEditDictation* dictation, DWORD cookie)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = dictation->QueryInterface(IID_PPV_ARGS(&container));
    if (SUCCEEDED(hr))
        hr = container->FindConnectionPoint(DIID__DDgnDictEditEvents, &point);
    return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}

std::string WavBytes(const std::vector<float>& samples, unsigned rate, unsigned channels,
                     unsigned bits)
{
    std::string data;
    for (float s : samples) {
        float clipped = std::fmax(-1.0f, std::fmin(s, 32767.0f / 32768.0f));
        for (unsigned c = 0; c < channels; ++c) {
            if (bits == 8) {
                data += static_cast<char>(static_cast<uint8_t>(std::lround(clipped * 127) + 128));
            } else {
                auto v = static_cast<int16_t>(std::lround(clipped * 32768));
                data.append(reinterpret_cast<const char*>(&v), 2);
            }
        }
    }
    auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    std::string fmt = u16(1) + u16(static_cast<uint16_t>(channels)) + u32(rate) +
                      u32(rate * channels * bits / 8) +
                      u16(static_cast<uint16_t>(channels * bits / 8)) +
                      u16(static_cast<uint16_t>(bits));
    std::string body = "WAVE" + std::string("fmt ") + u32(static_cast<uint32_t>(fmt.size())) + fmt +
                       "data" + u32(static_cast<uint32_t>(data.size())) + data;
    return "RIFF" + u32(static_cast<uint32_t>(body.size())) + body;
}

std::vector<float> BurstsInNoise(const std::vector<Burst>& bursts, double totalMs, unsigned rate,
                                 double snrDb, unsigned seed)
{
    const double tonePower = 0.08; // a sine of amplitude 0.4
    const double noiseSigma = std::sqrt(tonePower / std::pow(10.0, snrDb / 10));
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseSigma);
    std::vector<float> samples(static_cast<size_t>(totalMs * rate / 1000));
    for (size_t i = 0; i < samples.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double value = noise(random);
        for (const Burst& b : bursts) {
            if (t * 1000 >= b.startMs && t * 1000 < b.endMs)
                value += std::sqrt(2 * tonePower) * std::sin(2 * 3.14159265358979 * 440 * t);
        }
        samples[i] = static_cast<float>(value);
    }
    return samples;
}

std::wstring ErrorDescription()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return {};
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring description = text ? text : L"";
    SysFreeString(text);
    return description;
}

} // namespace standin::testing
