// Floor probes for scripts/bench: each mode does only the work that the program cannot avoid,
// timed with the performance counter, so the bench can put the program's figures beside them.
//   floor W,N,...      as a sink of the stand-in, only the work before the processing tick,
//                      for N utterances of W words each
//   engine-lines W,N,...  as a sink, each word's engine calls and the lines' log and list work
//   calls W,N,...      as a sink, exactly the program's engine calls for each result and
//                      nothing else: the engine's share of a result, in either of its forms
//   paced-calls W,N,...  the same, its utterances dictated by the bench, one at a time, each
//                      after one of the program's; its window's title counts the results
//   round-trips N OUT  one trivial engine call timed N times, each on its own
//   lines SIZES OUT    per batch of lines: open, append, close the log and add to a list box
//   startup OUT [engine] [bare]  the program's dialog doing nothing (bare: a dialog with only
//                      a box and the slider), ready at its slider's first paint
// OUT receives one figure in microseconds per line (startup: the ready stamp); floor's spans
// are read from the stand-in's journal.
#include <windows.h>
#include <commctrl.h>
#include <wrl/client.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/com_owners.h"
#include "call_times.h"
#include "control/standin_control.h"
#include "core/spectral_work.h"
#include "engine/dgn_interfaces.h"
#include "records/log_text.h"
#include "sysinfo/memory_figures.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kMemoryFields = 7;

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND TopWindow(const wchar_t* caption)
{
    HWND window = CreateWindowExW(0, L"#32770", caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  900, 700, nullptr, nullptr, nullptr, nullptr);
    return window;
}

// The program's dialog font: text updates measure and draw in it, so the floor does too.
HFONT DialogFont()
{
    static HFONT font = [] {
        HDC screen = GetDC(nullptr);
        int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"Microsoft Sans Serif");
    }();
    return font;
}

HWND Child(HWND parent, const wchar_t* cls, DWORD style, int x, int y, int w, int h)
{
    HWND child = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w,
                                 h, parent, nullptr, nullptr, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    return child;
}

void WriteFigures(const wchar_t* path, const std::vector<double>& figures)
{
    std::ofstream out(path, std::ios::binary);
    for (double figure : figures)
        out << figure << "\n";
}

// A sink that answers event 1 with exactly the work the program must do before its
// processing tick: the memory refresh and "Stop:" time (eight window texts), the result and
// its two stamps. The bench reads its spans from the stand-in's journal, as for the program.
class FloorSink : public IDispatch
{
public:
    FloorSink(IDgnEditDictation* dictation, HWND fields[]) : dictation_(dictation), fields_(fields)
    {}
    int done = 0;
    // Set for the lines floor: each word's three engine calls, then the log and the list.
    HWND list = nullptr;
    std::wstring logPath;
    // Set for the engine's share: the program's calls alone.
    bool callsOnly = false;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DDgnDictEditEvents) {
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        if (id != 1)
            return S_OK;
        if (callsOnly) {
            ProgramCalls();
            ++done;
            return S_OK;
        }
        if (list) {
            Lines();
            ++done;
            return S_OK;
        }
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        GlobalMemoryStatusEx(&status);
        int i = 0;
        for (const auto& figure : MemoryFigureTexts(status))
            SetWindowTextW(fields_[i++], figure.second.c_str());
        SYSTEMTIME now;
        GetLocalTime(&now);
        SetWindowTextW(fields_[kMemoryFields], FormatTimeOfDay(now).c_str());
        ComPtr<IDgnResult> result;
        dictation_->get_LastResult(result.GetAddressOf());
        LONG halves[4] = {};
        ComPtr<ResultTime> start, stop;
        result->GetStartTime(start.GetAddressOf());
        start->GetHighPart(&halves[0]);
        start->GetLowPart(&halves[1]);
        result->GetEndTime(stop.GetAddressOf());
        stop->GetHighPart(&halves[2]);
        stop->GetLowPart(&halves[3]);
        GetTickCount();
        ++done;
        return S_OK;
    }

private:
    // The calls of the program's analysis of a result, in its order, each object held as long
    // as the program holds it: across processes, letting go of one is a call of its own.
    void ProgramCalls()
    {
        ComPtr<IDgnResult> result;
        dictation_->get_LastResult(result.GetAddressOf());
        if (!result)
            return;
        LONG halves[4] = {};
        {
            ComPtr<ResultTime> start;
            result->GetStartTime(start.GetAddressOf());
            start->GetHighPart(&halves[0]);
            start->GetLowPart(&halves[1]);
        }
        {
            ComPtr<ResultTime> stop;
            result->GetEndTime(stop.GetAddressOf());
            stop->GetHighPart(&halves[2]);
            stop->GetLowPart(&halves[3]);
        }
        ComPtr<ResultPhraseList> phrases;
        result->GetPhrases(phrases.GetAddressOf());
        LONG phraseCount = 0;
        phrases->GetCount(&phraseCount);
        ComPtr<IDgnResPhrase> best;
        phrases->get_Item(0, best.GetAddressOf());
        ComPtr<IDgnResWords> words;
        best->get_Words(words.GetAddressOf());
        LONG count = 0;
        words->GetCount(&count);
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IDgnResWord> word;
            words->get_Item(i, word.GetAddressOf());
            LONG score = 0;
            word->get_ConfidenceScore(&score);
            Bstr text;
            word->get_Text(text.Out());
        }
    }

    void AppendLine(const wchar_t* text)
    {
        HANDLE file =
            CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string bytes = "95 : word\r\n";
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    void Lines()
    {
        ComPtr<IDgnResult> result;
        ComPtr<ResultPhraseList> phrases;
        ComPtr<IDgnResPhrase> best;
        ComPtr<IDgnResWords> words;
        dictation_->get_LastResult(result.GetAddressOf());
        result->GetPhrases(phrases.GetAddressOf());
        phrases->get_Item(0, best.GetAddressOf());
        best->get_Words(words.GetAddressOf());
        LONG count = 0;
        words->GetCount(&count);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (int line = 0; line < 3; ++line)
            AppendLine(L"opening line");
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IDgnResWord> word;
            words->get_Item(i, word.GetAddressOf());
            LONG score = 0;
            word->get_ConfidenceScore(&score);
            Bstr text;
            word->get_Text(text.Out());
            AppendLine(text.Get());
        }
        for (int line = 0; line < 6; ++line)
            AppendLine(L"closing line");
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    IDgnEditDictation* dictation_;
    HWND* fields_;
};

std::wstring WindowText(HWND window)
{
    wchar_t text[32] = {};
    GetWindowTextW(window, text, 32);
    return text;
}

enum class Answer
{
    BeforeTick,
    Lines,
    Calls
};

// batches: (words, utterances); answer: what the sink does for each result; paced: the bench
// dictates, and reads from the window's title how many results are done ("0" once ready).
int Floor(const std::vector<std::pair<int, int>>& batches, Answer answer, bool paced = false)
{
    HWND top = TopWindow(L"floor probe");
    HWND target = Child(top, L"EDIT", ES_MULTILINE, 10, 10, 400, 100);
    HWND fields[kMemoryFields + 1];
    for (int i = 0; i <= kMemoryFields; ++i)
        fields[i] = Child(top, L"EDIT", ES_READONLY | ES_AUTOHSCROLL, 10, 120 + 24 * i, 80, 20);
    Pump();

    ComPtr<IDgnEditDictation> dictation;
    if (FAILED(CoCreateInstance(CLSID_DgnDictEdit, nullptr, CLSCTX_ALL, IID_IDgnEditDictation,
                                reinterpret_cast<void**>(dictation.GetAddressOf()))))
        return 2;
    Variant flags(4L);
    dictation->Register(target, flags.Get());
    // The program's sink keeps the engine's type library loaded for its events; held here too,
    // the proxies made for each result's objects find it loaded, as they do in the program.
    ComPtr<ITypeLib> library;
    LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0, library.GetAddressOf());
    FloorSink sink(dictation.Get(), fields);
    sink.callsOnly = answer == Answer::Calls;
    const bool lines = answer == Answer::Lines;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(dictation.As(&container)) ||
        FAILED(container->FindConnectionPoint(DIID__DDgnDictEditEvents, point.GetAddressOf())) ||
        FAILED(point->Advise(&sink, &cookie)))
        return 2;
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    if (lines) {
        sink.list = Child(top, L"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 420, 10, 400, 300);
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"lp", 0, path);
        sink.logPath = path;
    }
    HWND requests = standin::control::FindEngineRequestWindow(GetCurrentProcessId(), 10000);
    // With the bench's call timer asked for, this process's calls are timed as the program's.
    if (GetEnvironmentVariableW(bench::kCallTimesVariable, nullptr, 0) != 0 &&
        !bench::TimeCallsOf(GetCurrentProcessId()))
        return 5;
    if (paced)
        SetWindowTextW(top, L"0");
    std::vector<standin::Utterance> utterances;
    for (auto [words, repeat] : batches) {
        standin::Utterance utterance;
        for (int i = 0; i < words; ++i)
            utterance.words.push_back({40 + (i * 37) % 60, L"word" + std::to_wstring(i % 97)});
        utterance.processingMs = 1;
        utterances.insert(utterances.end(), size_t(repeat), utterance);
    }
    const int count = int(utterances.size());
    int sent = 0;
    DWORD started = GetTickCount();
    while (sink.done < count && GetTickCount() - started < 240000) {
        // Said outside the event, so that it is not counted in it.
        if (paced && std::to_wstring(sink.done) != WindowText(top))
            SetWindowTextW(top, std::to_wstring(sink.done).c_str());
        while (!paced && sent < count && sent - sink.done < 200) {
            standin::control::Dictate(requests, utterances[size_t(sent)]);
            ++sent;
        }
        MSG msg;
        if (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Pump();
    }
    point->Unadvise(cookie);
    point.Reset();
    container.Reset();
    dictation.Reset();
    DestroyWindow(top);
    if (lines)
        DeleteFileW(path);
    return sink.done == count ? 0 : 4;
}

// What each reported line needs: the log's open, append and close, and one list entry; the
// list's redraw is held over a batch as the program holds it over one result.
int Lines(const std::vector<int>& sizes, const wchar_t* out)
{
    HWND top = TopWindow(L"lines probe");
    HWND list = Child(top, L"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 10, 600, 300);
    Pump();
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"lp", 0, path);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> figures;
    const std::string bytes = "95 : word\r\n";
    for (int size : sizes) {
        LARGE_INTEGER begin, end;
        QueryPerformanceCounter(&begin);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (int line = 0; line < size; ++line) {
            HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
            CloseHandle(file);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"95 : word"));
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        QueryPerformanceCounter(&end);
        figures.push_back(double(end.QuadPart - begin.QuadPart) * 1e6 / double(frequency.QuadPart) /
                          size);
        Pump();
    }
    DeleteFileW(path);
    WriteFigures(out, figures);
    DestroyWindow(top);
    return 0;
}

// Against the DLL the call's figure is the engine's own work; against the local server, that
// and a round trip between the processes.
int RoundTrips(int count, const wchar_t* out)
{
    ComPtr<IDgnEngineControl> engine;
    if (FAILED(CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_IDgnEngineControl,
                                reinterpret_cast<void**>(engine.GetAddressOf()))))
        return 2;
    LONG source = 0;
    // The first calls through a new proxy set it up: not what a call costs.
    for (int i = 0; i < 20; ++i)
        engine->GetCurrentSource(&source);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> figures;
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER begin, end;
        QueryPerformanceCounter(&begin);
        engine->GetCurrentSource(&source);
        QueryPerformanceCounter(&end);
        figures.push_back(double(end.QuadPart - begin.QuadPart) * 1e6 / double(frequency.QuadPart));
    }
    WriteFigures(out, figures);
    return 0;
}

struct StartupProbe
{
    const wchar_t* out;
    bool engine;
    bool bare;
    bool ready = false;
    ComPtr<IDgnEditDictation> dictation; // lives as long as the dialog, as in the program
};

// The engine calls the program makes before its dialog is ready, in the same order.
void EngineStartCalls(HWND dialog, StartupProbe& probe)
{
    ComPtr<IDgnEngineControl> engine;
    CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_IDgnEngineControl,
                     reinterpret_cast<void**>(engine.GetAddressOf()));
    if (!engine)
        return;
    short version[3] = {};
    engine->GetEngineVersion(&version[0], &version[1], &version[2]);
    Bstr speaker, model, vocabulary, sourceName;
    engine->get_Speaker(speaker.Out());
    LONG source = 0, state = 0;
    engine->GetCurrentSource(&source);
    engine->GetModelName(speaker.Get(), source, model.Out());
    engine->GetVocabularyName(vocabulary.Out());
    engine->GetSourceName(source, sourceName.Out());
    engine->GetState(0, &state);
    Variant speed;
    engine->GetParameter(7, speed.Out());
    engine.Reset();

    CoCreateInstance(CLSID_DgnDictEdit, nullptr, CLSCTX_ALL, IID_IDgnEditDictation,
                     reinterpret_cast<void**>(probe.dictation.GetAddressOf()));
    if (probe.dictation) {
        Variant flags(4L);
        probe.dictation->Register(GetDlgItem(dialog, 1000), flags.Get());
    }
    CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_IDgnEngineControl,
                     reinterpret_cast<void**>(engine.GetAddressOf()));
    if (engine) {
        engine->SetFeature(5, 0, 0);
        engine->SetFeature(6, 0, 0);
        Variant one(1L);
        engine->SetParameter(1, one.Get());
    }
}

INT_PTR CALLBACK StartupProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* probe = reinterpret_cast<StartupProbe*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        probe = reinterpret_cast<StartupProbe*>(lp);
        if (probe->bare) {
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10, 200, 60,
                            dialog, reinterpret_cast<HMENU>(1000), nullptr, nullptr);
            CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, 10, 80,
                            200, 30, dialog, reinterpret_cast<HMENU>(1017), nullptr, nullptr);
        }
        if (probe->engine)
            EngineStartCalls(dialog, *probe);
        return TRUE;
    }
    if (msg == WM_NOTIFY && probe && !probe->ready &&
        reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        probe->ready = true;
        long long stamp = standin::NowMicroseconds();
        std::ofstream(probe->out) << stamp << "\n";
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    // Only the probe's own ending: the edit control's notifications come as commands too.
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL)
        EndDialog(dialog, 0);
    return FALSE;
}

// The program's own dialog, read from its file and shown with the same manifest, doing none of
// the program's work: what showing that dialog costs under Wine. With bare, a dialog holding
// only the target box and the slider instead.
int Startup(const wchar_t* out, bool engine, bool bare)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    StartupProbe probe{out, engine, bare, false, {}};
    if (bare) {
        // A bare template: caption, size, no controls; they are added at initialisation.
        struct
        {
            DLGTEMPLATE head;
            WORD menu, cls;
            wchar_t title[14];
        } dialogTemplate = {
            {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER, 0, 0, 0, 0, 300, 200},
            0,
            0,
            L"startup probe"};
        DialogBoxIndirectParamW(nullptr, &dialogTemplate.head, nullptr, StartupProc,
                                reinterpret_cast<LPARAM>(&probe));
    } else {
        wchar_t path[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path, length);
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"tarvell.exe";
        HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (image == nullptr)
            return 3;
        DialogBoxParamW(image, MAKEINTRESOURCEW(101), nullptr, StartupProc,
                        reinterpret_cast<LPARAM>(&probe));
        FreeLibrary(image);
    }
    probe.dictation.Reset();
    return probe.ready ? 0 : 3;
}

std::vector<int> Sizes(const wchar_t* text)
{
    std::vector<int> sizes;
    std::wstringstream in(text);
    for (int size; in >> size;) {
        sizes.push_back(size);
        in.ignore(1);
    }
    return sizes;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 1;
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    std::wstring mode = argv[1];
    int code = 1;
    if (mode == L"floor" || mode == L"engine-lines" || mode == L"calls" || mode == L"paced-calls") {
        std::vector<int> sizes = Sizes(argv[2]);
        std::vector<std::pair<int, int>> batches;
        for (size_t i = 0; i + 1 < sizes.size(); i += 2)
            batches.push_back({sizes[i], sizes[i + 1]});
        Answer answer = mode == L"floor"          ? Answer::BeforeTick
                        : mode == L"engine-lines" ? Answer::Lines
                                                  : Answer::Calls;
        code = Floor(batches, answer, mode == L"paced-calls");
    } else if (mode == L"round-trips" && argc == 4)
        code = RoundTrips(_wtoi(argv[2]), argv[3]);
    else if (mode == L"lines" && argc == 4)
        code = Lines(Sizes(argv[2]), argv[3]);
    else if (mode == L"startup") {
        auto given = [&](const wchar_t* flag) {
            for (int i = 3; i < argc; ++i)
                if (std::wstring(argv[i]) == flag)
                    return true;
            return false;
        };
        code = Startup(argv[2], given(L"engine"), given(L"bare"));
    }
    CoUninitialize();
    return code;
}
