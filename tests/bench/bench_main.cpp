// The bench of scripts/bench: runs the program against the stand-in engine beside the floor
// probes, prints one table of figures and writes it, the soak's per-utterance costs and its
// resource samples as CSV into the output folder.
//   tarvell_bench.exe OUTDIR [SOAK_UTTERANCES]
//   tarvell_bench.exe OUTDIR --local-server   (in the local server's prefix, after the first)
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "call_times.h"
#include "core/spectral_work.h"
#include "engine_session.h"
#include "resources/resource.h"

using namespace e2e;

namespace {

namespace control = standin::control;

struct Figures
{
    double median = 0;
    double p99 = 0;
};

Figures Summarise(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        return values[std::min(values.size() - 1, size_t(q * values.size()))];
    };
    return {at(0.5), at(0.99)};
}

std::wstring Beside(const std::wstring& name)
{
    std::wstring path = driver::Tarvell::ProgramPath();
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// One journal line, read as it streams by: the journal of a soak is too big to hold parsed.
// The writer's process id is passed over: both forms are read alike.
void ForEachJournalLine(const std::wstring& path,
                        const std::function<void(long long, const std::string&,
                                                 const std::vector<std::string>&)>& visit)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string line;
    std::vector<std::string> fields;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        fields.clear();
        std::stringstream split(line);
        std::string micros, process, kind, field;
        if (!std::getline(split, micros, '\t') || !std::getline(split, process, '\t') ||
            !std::getline(split, kind, '\t'))
            continue;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        visit(std::stoll(micros), kind, fields);
    }
}

// Per result event: the span to the end stamp's low half, the whole Invoke, the words listed,
// the engine calls made inside it; where the calls were timed in the program, the time it
// spent in the event and the part of that outside the calls it made.
struct ResultSpan
{
    long long begin = 0;
    double beforeTick = -1;
    double invoke = 0;
    int words = 0;
    int calls = 0;
    double inProgram = -1;
    double own = -1;
    int callsOut = 0; // the engine calls and COM's own (QueryInterface, Release) across
};

std::vector<ResultSpan> ResultSpans(const std::wstring& journal)
{
    std::vector<ResultSpan> spans;
    long long begin = -1;
    int lowHalves = 0;
    ResultSpan span;
    ForEachJournalLine(journal, [&](long long micros, const std::string& kind,
                                    const std::vector<std::string>& fields) {
        if (kind == "event-begin" && fields.size() > 0 && fields[0] == "1") {
            begin = micros;
            lowHalves = 0;
            span = {};
            span.begin = micros;
        } else if (begin >= 0 && kind == "call" && !fields.empty()) {
            ++span.calls;
            if (fields[0] == "ResultTime.GetLowPart" && ++lowHalves == 2)
                span.beforeTick = double(micros - begin);
            if (fields[0] == "IDgnResWord.get_Text")
                ++span.words;
        } else if (begin >= 0 && kind == "event-end" && !fields.empty() && fields[0] == "1") {
            span.invoke = double(micros - begin);
            spans.push_back(span);
            begin = -1;
        }
    });
    return spans;
}

std::vector<double> ReadFigures(const std::wstring& path)
{
    std::vector<double> figures;
    std::ifstream in(path.c_str());
    for (double figure; in >> figure;)
        figures.push_back(figure);
    return figures;
}

// The probe, started in this process's environment (the stand-in's variables set as for the
// program); ended by force if it has not ended by itself when let go.
class Probe
{
public:
    explicit Probe(const std::wstring& arguments)
    {
        std::wstring path = Beside(L"tarvell_bench_probe.exe");
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_))
            process_ = {};
    }
    ~Probe()
    {
        if (!process_.hProcess)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Id() const { return process_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // Whether it ended by itself in the time, with nothing gone wrong.
    bool Finish(DWORD timeoutMs)
    {
        DWORD code = 1;
        return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process_.hProcess, &code) && code == 0;
    }

private:
    PROCESS_INFORMATION process_ = {};
};

bool RunProbe(const std::wstring& arguments, DWORD timeoutMs = 300000)
{
    Probe probe(arguments);
    return probe.Started() && probe.Finish(timeoutMs);
}

void UseStandinFiles(const std::wstring& scenario, const std::wstring& journal)
{
    SetEnvironmentVariableW(control::kScenarioVariable, scenario.c_str());
    SetEnvironmentVariableW(control::kJournalVariable, journal.c_str());
}

// A local server ends by itself once its client has let go, and the next run must start its
// own, with that run's scenario and journal. None ever runs in the DLL's prefix.
bool WaitForServersToGo()
{
    return driver::WaitUntil([] { return control::ServerProcessesOf(0).empty(); }, 30000);
}

// One run of the program against the stand-in, its files in the output folder.
class Run
{
public:
    Run(const std::wstring& out, const Scenario& scenario)
        : journal_(out + L"\\journal.txt"), startStamp_(0)
    {
        std::wstring scenarioPath = out + L"\\scenario.txt";
        WaitForServersToGo();
        DeleteFileW(journal_.c_str());
        scenario.WriteTo(scenarioPath);
        startStamp_ = standin::NowMicroseconds();
        program_ = std::make_unique<driver::Tarvell>(driver::Tarvell::Environment{
            {control::kScenarioVariable, scenarioPath}, {control::kJournalVariable, journal_}});
    }

    driver::Tarvell* operator->() { return program_.get(); }
    bool Start()
    {
        return program_->WaitForDialog() && (requests_ = control::FindEngineRequestWindow(
                                                 program_->ProcessId(), driver::kTimeoutMs));
    }
    bool Dictate(const Utterance& utterance) { return control::Dictate(requests_, utterance); }
    HWND Requests() const { return requests_; }
    const std::wstring& JournalPath() const { return journal_; }
    long long StartStamp() const { return startStamp_; }
    std::vector<JournalEntry> Calls(const std::string& operation) const
    {
        return control::CallsOf(control::ReadJournal(journal_), operation);
    }
    DWORD EndWithExit() { return program_->DismissBoxesUntilExit(); }

private:
    std::wstring journal_;
    long long startStamp_;
    std::unique_ptr<driver::Tarvell> program_;
    HWND requests_ = nullptr;
};

Scenario BenchProfile()
{
    Scenario scenario = NormalProfile();
    scenario.ProcessingMs(1);
    return scenario;
}

Utterance Words(int count)
{
    Utterance utterance;
    for (int i = 0; i < count; ++i)
        utterance.words.push_back({40 + (i * 37) % 60, L"word" + std::to_wstring(i % 97)});
    utterance.processingMs = 1;
    return utterance;
}

// How often the bench asks the program how many results it has counted.
const DWORD kPollMs = 20;

int Completed(Run& session)
{
    return _wtoi(session->Text(IDC_UTTERANCES).c_str());
}

// Queues the utterances, never more than a few hundred ahead of the program, and waits until
// the last is counted; each is called back with how many are done so far.
bool DictateAll(Run& session, const std::vector<Utterance>& utterances, int before,
                const std::function<void(int)>& progress = {})
{
    const int ahead = 200;
    int sent = 0;
    int total = int(utterances.size());
    DWORD lastMove = GetTickCount();
    int lastDone = -1;
    while (true) {
        int done = Completed(session) - before;
        if (done != lastDone) {
            lastDone = done;
            lastMove = GetTickCount();
            if (progress)
                progress(done);
        }
        if (done >= total)
            return true;
        if (GetTickCount() - lastMove > 60000 || !session->Running())
            return false;
        while (sent < total && sent - done < ahead) {
            if (!session.Dictate(utterances[size_t(sent)]))
                return false;
            ++sent;
        }
        Sleep(kPollMs);
    }
}

struct Row
{
    std::string figure;
    Figures program;
    Figures floor;
    double target;
    std::string note;
};

std::vector<Row> rows;

void AddRow(const std::string& figure, const Figures& program, const Figures& floor, double target,
            const std::string& note = "")
{
    rows.push_back({figure, program, floor, target, note});
}

double Ratio(const Row& row)
{
    return row.floor.median > 0 ? row.program.median / row.floor.median : 0;
}

void Print(const std::wstring& csvPath)
{
    std::printf("%-34s %12s %12s %12s %12s %7s %7s  %s\n", "figure", "median", "p99", "floor med",
                "floor p99", "ratio", "target", "");
    std::ofstream csv(csvPath.c_str(), std::ios::binary);
    csv << "figure,median,p99,floor_median,floor_p99,ratio,target,met,note\n";
    for (const Row& row : rows) {
        double ratio = Ratio(row);
        bool met = row.target <= 0 || ratio <= row.target;
        if (row.program.median == 0 && row.floor.median == 0 && row.target <= 0) {
            // A row of words only.
            std::printf("%-34s  %s\n", row.figure.c_str(), row.note.c_str());
            csv << row.figure << ",,,,,,,," << row.note << "\n";
            continue;
        }
        std::printf("%-34s %12.1f %12.1f %12.1f %12.1f %7.2f %7.2f  %s %s\n", row.figure.c_str(),
                    row.program.median, row.program.p99, row.floor.median, row.floor.p99, ratio,
                    row.target,
                    row.target <= 0 ? "-"
                    : met           ? "ok"
                                    : "MISSED",
                    row.note.c_str());
        csv << row.figure << "," << row.program.median << "," << row.program.p99 << ","
            << row.floor.median << "," << row.floor.p99 << "," << ratio << "," << row.target << ","
            << (met ? "yes" : "no") << "," << row.note << "\n";
    }
    std::fflush(stdout);
}

const DWORD benchStarted = GetTickCount();

void Say(const char* text)
{
    std::printf("-- %s (at %lu s)\n", text, (GetTickCount() - benchStarted) / 1000);
    std::fflush(stdout);
}

// Utterances of a word count, and how many.
using Batches = std::vector<std::pair<int, int>>;

std::wstring BatchText(const Batches& batches)
{
    std::wstring text;
    for (auto [words, count] : batches)
        text += std::to_wstring(words) + L"," + std::to_wstring(count) + L",";
    return text;
}

// Lines reported for a result: three opening, one a word, six closing.
int LinesOf(int words)
{
    return words + 9;
}

// Each result's share of the calls that came into the program while it lasted.
void AddTimesInProgram(std::vector<ResultSpan>& spans,
                       const std::vector<bench::IncomingCall>& calls)
{
    auto call = calls.begin();
    for (ResultSpan& span : spans) {
        while (call != calls.end() && call->start < span.begin)
            ++call;
        span.inProgram = span.own = 0;
        for (;
             call != calls.end() && call->start <= span.begin + static_cast<long long>(span.invoke);
             ++call) {
            span.inProgram += double(call->span);
            span.own += double(call->own);
            span.callsOut += call->outCalls;
        }
    }
}

// One session of the program dictated the batches in turn; its result events.
bool ProgramSpans(const std::wstring& out, const Batches& batches, std::vector<ResultSpan>& spans)
{
    Run session(out, BenchProfile());
    if (!session.Start())
        return false;
    int before = 0;
    for (auto [words, count] : batches) {
        std::vector<Utterance> utterances(size_t(count), Words(words));
        if (!DictateAll(session, utterances, before))
            return false;
        before += count;
    }
    session->Click(IDOK);
    session.EndWithExit();
    spans = ResultSpans(session.JournalPath());
    return true;
}

// The same results answered by a probe that makes the program's engine calls and nothing else:
// the engine's share of each, in whichever form is registered.
bool EngineShareSpans(const std::wstring& out, const Batches& batches,
                      std::vector<ResultSpan>& spans)
{
    std::wstring journal = out + L"\\calls-journal.txt";
    UseStandinFiles(out + L"\\probe-scenario.txt", journal);
    BenchProfile().WriteTo(out + L"\\probe-scenario.txt");
    DeleteFileW(journal.c_str());
    WaitForServersToGo();
    if (!RunProbe(L"calls " + BatchText(batches), 120000))
        return false;
    spans = ResultSpans(journal);
    return !spans.empty();
}

// The probe's window, once it says how many results it has answered.
HWND ProbeWindow(DWORD processId)
{
    for (HWND window : driver::WindowsOf(processId))
        if (driver::ClassOf(window) == L"#32770" && !driver::WindowText(window).empty() &&
            iswdigit(driver::WindowText(window)[0]))
            return window;
    return nullptr;
}

// The program and the probe answer the same utterances in turn, one result at a time, from
// the one local server that the program started (it serves every client), each with the call
// timer in it, writing into callTimes: whatever the machine does meanwhile, both see it alike,
// and the probe's time outside its calls stands beside the program's, result by result.
bool PacedSpans(const std::wstring& out, const std::wstring& callTimes, const Batches& batches,
                std::vector<ResultSpan>& program, std::vector<ResultSpan>& probe)
{
    Run session(out, BenchProfile());
    if (!session.Start() || control::ServersStartedBy(session->ProcessId()).empty() ||
        !bench::TimeCallsOf(session->ProcessId())) {
        std::printf("the call timer could not be loaded into the program and its server\n");
        return false;
    }
    std::vector<DWORD> servers = control::ServersStartedBy(session->ProcessId());
    Probe paced(L"paced-calls " + BatchText(batches));
    HWND probeWindow = nullptr;
    if (!paced.Started() ||
        !driver::WaitUntil([&] { return (probeWindow = ProbeWindow(paced.Id())) != nullptr; }))
        return false;
    // The probe's dictation object has the server's other request window.
    HWND probeRequests = nullptr;
    for (HWND window : control::RequestWindowsOf(servers.front()))
        if (window != session.Requests())
            probeRequests = window;
    if (!probeRequests) {
        std::printf("the probe did not reach the program's local server\n");
        return false;
    }
    // Asked inside a result, the program answers while it waits in a call: into the engine's
    // share, not its own time. Seldom asked, it keeps the machine as quiet for one as for the
    // other.
    auto answered = [](const std::function<int()>& count, int before) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(50))
            if (count() > before)
                return true;
        return false;
    };
    auto probeDone = [&] { return _wtoi(driver::WindowText(probeWindow).c_str()); };
    int done = 0;
    for (auto [words, count] : batches)
        for (int i = 0; i < count; ++i, ++done) {
            Utterance utterance = Words(words);
            if (!session.Dictate(utterance) || !answered([&] { return Completed(session); }, done))
                return false;
            // The probe's last answer ends it: its title may be gone before it is read.
            if (!control::Dictate(probeRequests, utterance) ||
                !answered([&] { return paced.Running() ? probeDone() : done + 1; }, done))
                return false;
        }
    if (!paced.Finish(60000))
        return false;
    session->Click(IDOK);
    session.EndWithExit();
    // One journal, the results in turn: each client's are those its calls came into.
    std::vector<ResultSpan> all = ResultSpans(session.JournalPath());
    program = probe = all;
    AddTimesInProgram(program, bench::ReadIncomingCalls(callTimes, session->ProcessId()));
    AddTimesInProgram(probe, bench::ReadIncomingCalls(callTimes, paced.Id()));
    auto untimed = [](const ResultSpan& span) { return span.inProgram <= 0; };
    program.erase(std::remove_if(program.begin(), program.end(), untimed), program.end());
    probe.erase(std::remove_if(probe.begin(), probe.end(), untimed), probe.end());
    return true;
}

// One trivial engine call, timed in the probe's process; the journal is on, as for the rest.
bool CallTimes(const std::wstring& out, std::vector<double>& times)
{
    std::wstring path = out + L"\\call-times.txt";
    std::wstring journal = out + L"\\call-journal.txt";
    UseStandinFiles(out + L"\\probe-scenario.txt", journal);
    BenchProfile().WriteTo(out + L"\\probe-scenario.txt");
    DeleteFileW(journal.c_str());
    DeleteFileW(path.c_str());
    WaitForServersToGo();
    if (!RunProbe(L"round-trips 500 \"" + path + L"\"", 60000))
        return false;
    times = ReadFigures(path);
    return !times.empty();
}

std::map<int, Figures> MedianShare(const std::vector<ResultSpan>& share)
{
    std::map<int, std::vector<double>> byWords;
    for (const ResultSpan& span : share)
        byWords[span.words].push_back(span.invoke);
    std::map<int, Figures> figures;
    for (auto& [words, values] : byWords)
        figures[words] = Summarise(values);
    return figures;
}

// Per reported line, each result's whole cost and its cost less the engine's usual share.
struct LineCosts
{
    std::map<int, std::vector<double>> whole, own, share;
};

LineCosts CostsPerLine(const std::vector<ResultSpan>& program, const std::vector<ResultSpan>& share)
{
    LineCosts costs;
    std::map<int, Figures> usual = MedianShare(share);
    for (const ResultSpan& span : share)
        costs.share[span.words].push_back(span.invoke / LinesOf(span.words));
    for (const ResultSpan& span : program) {
        costs.whole[span.words].push_back(span.invoke / LinesOf(span.words));
        costs.own[span.words].push_back((span.invoke - usual[span.words].median) /
                                        LinesOf(span.words));
    }
    return costs;
}

// Engine calls per result of N words, as the journal counts them: each word count's most
// common figure, and how many results made another.
struct CallCounts
{
    std::map<int, int> usual;
    int differing = 0;
};

CallCounts CountCalls(const std::vector<ResultSpan>& spans)
{
    std::map<int, std::map<int, int>> seen;
    for (const ResultSpan& span : spans)
        ++seen[span.words][span.calls];
    CallCounts counts;
    for (const auto& [words, byCalls] : seen) {
        auto most = std::max_element(byCalls.begin(), byCalls.end(),
                                     [](auto& a, auto& b) { return a.second < b.second; });
        counts.usual[words] = most->first;
        for (const auto& [calls, times] : byCalls)
            if (calls != most->first)
                counts.differing += times;
    }
    return counts;
}

// a + b * N from the two smallest word counts; false when there are fewer.
bool FitCalls(const CallCounts& counts, int& a, int& b)
{
    if (counts.usual.size() < 2)
        return false;
    auto first = counts.usual.begin(), second = std::next(first);
    b = (second->second - first->second) / (second->first - first->first);
    a = first->second - b * first->first;
    return true;
}

// The formula checked at every word count counted.
std::string CallsText(const CallCounts& counts, int a, int b)
{
    std::string text = std::to_string(a) + " + " + std::to_string(b) + "N;";
    bool holds = true;
    for (const auto& [words, calls] : counts.usual) {
        text += " N=" + std::to_string(words) + ": " + std::to_string(calls);
        holds = holds && calls == a + b * words;
    }
    text += holds ? " (holds at each)" : " (does NOT hold at each)";
    if (counts.differing > 0)
        text += "; " + std::to_string(counts.differing) + " results made another count";
    return text;
}

// The DLL's figures, kept for the run against the local server: per word count the whole
// cost, the engine's share and the program's own, per line; the trivial call; the formula
// of the calls a result makes.
void WriteInProcess(const std::wstring& path, const LineCosts& costs,
                    const std::vector<double>& callTimes, const CallCounts& calls)
{
    std::ofstream file(path.c_str(), std::ios::binary);
    for (const auto& [words, whole] : costs.whole) {
        Figures w = Summarise(whole);
        Figures s =
            Summarise(costs.share.count(words) ? costs.share.at(words) : std::vector<double>{});
        Figures o = Summarise(costs.own.at(words));
        file << "lines " << words << " " << w.median << " " << w.p99 << " " << s.median << " "
             << s.p99 << " " << o.median << " " << o.p99 << "\n";
    }
    Figures call = Summarise(callTimes);
    file << "call " << call.median << " " << call.p99 << "\n";
    int a = 0, b = 0;
    if (FitCalls(calls, a, b))
        file << "calls " << a << " " << b << "\n";
}

struct InProcess
{
    std::map<int, Figures> whole, share, own;
    Figures call;
    int a = -1, b = -1; // engine calls per result: a + b * N
};

InProcess ReadInProcess(const std::wstring& path)
{
    InProcess figures;
    std::ifstream file(path.c_str());
    for (std::string kind; file >> kind;) {
        if (kind == "lines") {
            int words = 0;
            Figures w, s, o;
            file >> words >> w.median >> w.p99 >> s.median >> s.p99 >> o.median >> o.p99;
            figures.whole[words] = w;
            figures.share[words] = s;
            figures.own[words] = o;
        } else if (kind == "call") {
            file >> figures.call.median >> figures.call.p99;
        } else if (kind == "calls") {
            file >> figures.a >> figures.b;
        }
    }
    return figures;
}

// 1 and 2: one session of 1,000 ten-word utterances, then longer ones; the probes beside it.
bool MeasureResults(const std::wstring& out)
{
    Say("overhead and cost per line: 1000 x 10 words, 30 x 100, 10 x 1000");
    const Batches batches = {{10, 1000}, {100, 30}, {1000, 10}};
    {
        std::vector<ResultSpan> spans;
        if (!ProgramSpans(out, batches, spans))
            return false;
        std::vector<double> beforeTick;
        std::map<int, std::vector<double>> perLine;
        for (const ResultSpan& span : spans) {
            if (span.words == 10)
                beforeTick.push_back(span.beforeTick);
            perLine[span.words].push_back(span.invoke / LinesOf(span.words));
        }

        std::wstring probeJournal = out + L"\\probe-journal.txt";
        UseStandinFiles(out + L"\\probe-scenario.txt", probeJournal);
        BenchProfile().WriteTo(out + L"\\probe-scenario.txt");
        DeleteFileW(probeJournal.c_str());
        if (!RunProbe(L"floor 10,1000"))
            return false;
        std::vector<double> floorSpans;
        for (const ResultSpan& span : ResultSpans(probeJournal))
            floorSpans.push_back(span.beforeTick);
        AddRow("overhead before tick (us)", Summarise(beforeTick), Summarise(floorSpans), 1.2);

        std::wstring sizes;
        for (auto [words, count] : batches)
            for (int i = 0; i < count; ++i)
                sizes += std::to_wstring(LinesOf(words)) + L",";
        std::wstring linesOut = out + L"\\lines.txt";
        if (!RunProbe(L"lines " + sizes + L" \"" + linesOut + L"\""))
            return false;
        std::vector<double> floorLines = ReadFigures(linesOut);
        // The same lines with the engine calls each word needs, timed from the journal as
        // the program is: the stand-in's own cost per call is in both.
        DeleteFileW(probeJournal.c_str());
        if (!RunProbe(L"engine-lines " + BatchText(batches)))
            return false;
        std::map<int, std::vector<double>> engineLines;
        for (const ResultSpan& span : ResultSpans(probeJournal))
            engineLines[span.words].push_back(span.invoke / LinesOf(span.words));
        size_t at = 0;
        for (auto [words, count] : batches) {
            std::vector<double> floorBatch(
                floorLines.begin() + long(std::min(at, floorLines.size())),
                floorLines.begin() + long(std::min(at + size_t(count), floorLines.size())));
            at += size_t(count);
            AddRow("cost per line, " + std::to_string(words) + " words (us)",
                   Summarise(perLine[words]), Summarise(floorBatch), 1.5, "floor: log and list");
            AddRow("  same, floor with engine calls", Summarise(perLine[words]),
                   Summarise(engineLines[words]), 1.5, "floor: log, list, 3 calls a word");
        }

        // Kept for the run against the local server, which puts its figures beside these.
        std::vector<ResultSpan> share;
        std::vector<double> callTimes;
        if (!EngineShareSpans(out, batches, share) || !CallTimes(out, callTimes))
            return false;
        WriteInProcess(out + L"\\inprocess-lines.txt", CostsPerLine(spans, share), callTimes,
                       CountCalls(spans));
    }
    return true;
}

// The same sizes of result against the local server, beside the same figures against the DLL.
// A channel hook in the program, its server and the probe times each event's span inside the
// process it reaches and the waits in the calls made from it. The program's own time is its
// time in the event outside those waits, less the same time in the probe, which makes only the
// program's calls: what is left of the proxies' packing and unpacking there. The engine's share
// is the rest: the waits, the proxies' work and the event's way there and back. Then the calls
// a result makes, and what one marshaled call costs.
bool MeasureLocalServer(const std::wstring& out)
{
    if (!EngineOutOfProcess()) {
        std::printf("the stand-in is not registered as a local server in this prefix\n");
        return false;
    }
    InProcess inProcess = ReadInProcess(out + L"\\inprocess-lines.txt");
    if (inProcess.own.empty()) {
        std::printf("no in-process figures to compare with: run the in-process bench first\n");
        return false;
    }
    // Its journals apart from the DLL's, which stay for a look.
    std::wstring folder = out + L"\\local";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring timerFolder = folder + L"\\calls";
    CreateDirectoryW(timerFolder.c_str(), nullptr);
    // The program starts its server: both inherit the variable, and so does the probe.
    SetEnvironmentVariableW(bench::kCallTimesVariable, timerFolder.c_str());
    // A marshaled call costs milliseconds on a busy machine: fewer results than against the
    // DLL, of the sizes it had; a result of 1,000 words is left to the DLL's run.
    const Batches batches = {{10, 30}, {100, 8}};
    std::vector<ResultSpan> spans, probeSpans;
    Say("local server: 30 x 10 words, 8 x 100, the program and the probe in turn");
    bool measured = PacedSpans(folder, timerFolder, batches, spans, probeSpans);
    SetEnvironmentVariableW(bench::kCallTimesVariable, nullptr);
    if (!measured)
        return false;
    // Per line, each result beside the probe's answer to the same utterance just after it: the
    // whole; the program's time in the event outside its calls, less the probe's (the proxies'
    // packing and unpacking, which the probe's calls need too); the wait in the calls; the
    // event's way there and back.
    std::map<int, std::vector<double>> whole, share, wait, delivery, inside, own, proxies;
    for (size_t i = 0; i < spans.size() && i < probeSpans.size(); ++i) {
        const ResultSpan& span = spans[i];
        const ResultSpan& beside = probeSpans[i];
        if (span.inProgram <= 0 || beside.inProgram <= 0 || beside.words != span.words)
            continue;
        double lines = LinesOf(span.words);
        whole[span.words].push_back(span.invoke / lines);
        inside[span.words].push_back(span.own / lines);
        proxies[span.words].push_back(beside.own / lines);
        own[span.words].push_back((span.own - beside.own) / lines);
        share[span.words].push_back((span.invoke - span.own + beside.own) / lines);
        wait[span.words].push_back((span.inProgram - span.own) / lines);
        delivery[span.words].push_back((span.invoke - span.inProgram) / lines);
    }
    if (own.empty()) {
        std::printf("the call timer recorded no result in the program or the probe\n");
        return false;
    }
    for (auto [words, count] : batches) {
        std::string size = std::to_string(words) + " words";
        AddRow("local: cost per line, " + size + " (us)", Summarise(whole[words]),
               inProcess.whole[words], 0, "floor: the same against the DLL");
        AddRow("  engine's share per line", Summarise(share[words]), inProcess.share[words], 0,
               "the three below; floor: the program's calls alone against the DLL");
        AddRow("    waiting in the calls", Summarise(wait[words]), {}, 0, "timed in the program");
        AddRow("    the proxies' work", Summarise(proxies[words]), {}, 0,
               "the probe's time outside the same calls");
        AddRow("    the event's way", Summarise(delivery[words]), {}, 0,
               "the event to the program and back, less the program's time in it");
        char note[160];
        std::snprintf(
            note, sizeof note,
            "outside its calls %.0f us, less the probe's; floor: the same against the DLL",
            Summarise(inside[words]).median);
        AddRow("  program's own per line", Summarise(own[words]), inProcess.own[words], 1.2, note);
    }

    Say("local server: one call 500 times");
    std::vector<double> callTimes;
    if (!CallTimes(folder, callTimes))
        return false;
    Figures call = Summarise(callTimes);
    char note[160];
    std::snprintf(note, sizeof note, "round trip: median %.1f us; p99 %.1f us",
                  call.median - inProcess.call.median, call.p99 - inProcess.call.median);
    AddRow("trivial call, local vs DLL (us)", call, inProcess.call, 0, note);

    // The formula from the DLL's run (three sizes), checked at this run's; the probe's calls
    // must be the program's for its time outside them to be the proxies' work.
    CallCounts programCalls = CountCalls(spans), probeCalls = CountCalls(probeSpans);
    std::string formula = inProcess.a < 0 ? std::string("no formula from the DLL's run")
                                          : CallsText(programCalls, inProcess.a, inProcess.b);
    AddRow("engine calls per result (N words)", {}, {}, 0, formula);
    if (probeCalls.usual != programCalls.usual)
        AddRow("  the probe's calls differ", {}, {}, 0,
               inProcess.a < 0 ? "" : CallsText(probeCalls, inProcess.a, inProcess.b));
    std::map<int, std::vector<double>> callsOut;
    for (const ResultSpan& span : spans)
        callsOut[span.words].push_back(span.callsOut);
    for (const auto& [words, calls] : programCalls.usual) {
        double waited = Summarise(wait[words]).median * LinesOf(words);
        double packed = Summarise(proxies[words]).median * LinesOf(words);
        if (calls > 0)
            std::printf("   a %d-word result: %d engine calls, %d calls across with COM's own; "
                        "%.0f us waiting in them and %.0f us in their proxies, %.0f us an engine "
                        "call\n",
                        words, calls, int(Summarise(callsOut[words]).median), waited, packed,
                        (waited + packed) / calls);
    }
    bool gone = WaitForServersToGo();
    std::printf("   local servers %s\n", gone ? "all ended by themselves" : "STILL RUNNING");
    return gone;
}

// 3: process start to the first slider write, beside the probe showing the program's dialog
// and doing nothing else, with and without the engine calls the program makes before it is
// ready; and a bare dialog holding only the slider, for scale.
bool MeasureStartUp(const std::wstring& out)
{
    Say("start-up: 5 starts each");
    std::vector<double> program, empty, withEngine, bare;
    for (int run = 0; run < 5; ++run) {
        Run session(out, BenchProfile());
        // The session's constructor starts the process; the stamp before it is as close as any.
        long long start = session.StartStamp();
        if (!session.Start())
            return false;
        long long ready = -1;
        driver::WaitUntil([&] {
            for (const JournalEntry& call : session.Calls("IDgnEngineControl.SetParameter"))
                if (call.Arguments().rfind("7 ", 0) == 0) {
                    ready = call.micros;
                    return true;
                }
            return false;
        });
        session->Click(IDOK);
        session.EndWithExit();
        if (ready < 0)
            return false;
        program.push_back(double(ready - start));

        const std::pair<const wchar_t*, std::vector<double>*> probes[] = {
            {L"", &empty}, {L" engine", &withEngine}, {L" bare", &bare}};
        for (auto [flags, figures] : probes) {
            std::wstring stamp = out + L"\\startup.txt";
            DeleteFileW(stamp.c_str());
            long long probeStart = standin::NowMicroseconds();
            if (!RunProbe(L"startup \"" + stamp + L"\"" + flags))
                return false;
            std::vector<double> ready2 = ReadFigures(stamp);
            if (ready2.empty())
                return false;
            figures->push_back(ready2[0] - double(probeStart));
        }
    }
    char note[160];
    std::snprintf(note, sizeof note,
                  "floor: its dialog and engine calls; dialog alone %.0f us, bare dialog %.0f us",
                  Summarise(empty).median, Summarise(bare).median);
    AddRow("start-up to dialog ready (us)", Summarise(program), Summarise(withEngine), 1.3, note);
    return true;
}

struct Sample
{
    int done;
    SIZE_T privateBytes;
    SIZE_T workingSet;
    long handles;
    long windows;
    long gdi;
    long long logBytes;
};

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Sample Take(Run& session, int done)
{
    Sample sample = {done, 0, 0, 0, 0, 0, 0};
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    HANDLE process = session->Process();
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        // Wine leaves PrivateUsage empty for another process; the commit charge is the same figure.
        sample.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        sample.workingSet = memory.WorkingSetSize;
    }
    // Counted inside the program: Wine answers these with 0 for another process.
    driver::Tarvell::ResourceCounts counts = session->Resources();
    sample.handles = counts.handles;
    sample.windows = counts.windows;
    sample.gdi = counts.gdiObjects;
    sample.logBytes = FileSize(session->SessionLogPath());
    return sample;
}

// 4: a long day of dictation in one session.
bool Soak(const std::wstring& out, int count)
{
    std::string title = "soak: " + std::to_string(count) + " x 20 words";
    Say(title.c_str());
    Run session(out, BenchProfile());
    if (!session.Start())
        return false;
    std::vector<Sample> samples{Take(session, 0)};
    int nextSample = 500;
    DWORD started = GetTickCount();
    std::vector<Utterance> utterances(size_t(count), Words(20));
    bool fed = DictateAll(session, utterances, 0, [&](int done) {
        if (done >= nextSample) {
            samples.push_back(Take(session, done));
            nextSample += 500;
            std::printf("   %d done, %lu s\n", done, (GetTickCount() - started) / 1000);
            std::fflush(stdout);
        }
    });
    samples.push_back(Take(session, Completed(session)));
    // Reset All empties the list and the box: what stays above the start is not their text.
    session->Click(IDC_RESET_ALL);
    bool cleared = driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES).empty(); }, 60000);
    Sample afterReset = Take(session, -1);
    session->Click(IDOK);
    DWORD code = session.EndWithExit();
    if (!fed || code != 0)
        return false;

    std::vector<double> costs;
    std::ofstream csv((out + L"\\soak.csv").c_str(), std::ios::binary);
    csv << "utterance,cost_us\n";
    for (const ResultSpan& span : ResultSpans(session.JournalPath())) {
        costs.push_back(span.invoke);
        csv << costs.size() << "," << span.invoke << "\n";
    }
    size_t window = std::min<size_t>(500, costs.size() / 2);
    Figures first = Summarise({costs.begin(), costs.begin() + long(window)});
    Figures last = Summarise({costs.end() - long(window), costs.end()});
    AddRow("soak cost per utterance, end/start", last, first, 1.2,
           "last vs first " + std::to_string(window) + " utterances");

    std::ofstream resources((out + L"\\soak-resources.csv").c_str(), std::ios::binary);
    resources << "utterance,private_bytes,working_set,handles,windows,gdi_objects,log_bytes\n";
    for (const Sample& s : samples)
        resources << s.done << "," << s.privateBytes << "," << s.workingSet << "," << s.handles
                  << "," << s.windows << "," << s.gdi << "," << s.logBytes << "\n";
    const Sample& a = samples[1 < samples.size() ? 1 : 0];
    const Sample& b = samples.back();
    double grown = double(b.privateBytes) - double(a.privateBytes);
    // The list holds the log's lines as UTF-16 with an entry each; the log has one byte a
    // character and two for each line end.
    double listText = 2.0 * double(b.logBytes - a.logBytes);
    // SIZE_T is not size_t in the 32-bit build.
    std::printf("   private bytes %zu -> %zu (+%.1f MB; list text about %.1f MB), working set "
                "%zu -> %zu\n",
                size_t(a.privateBytes), size_t(b.privateBytes), grown / 1048576, listText / 1048576,
                size_t(a.workingSet), size_t(b.workingSet));
    std::printf("   after Reset All%s: private bytes %zu (%+.1f MB on the start), handles %ld, "
                "windows %ld, GDI objects %ld\n",
                cleared ? "" : " (not cleared in time)", size_t(afterReset.privateBytes),
                (double(afterReset.privateBytes) - double(a.privateBytes)) / 1048576,
                afterReset.handles, afterReset.windows, afterReset.gdi);
    std::printf("   handles %ld -> %ld, windows (USER) %ld -> %ld, GDI objects %ld -> %ld\n",
                a.handles, b.handles, a.windows, b.windows, a.gdi, b.gdi);
    std::optional<control::Summary> summary;
    ForEachJournalLine(session.JournalPath(), [&](long long, const std::string& kind,
                                                  const std::vector<std::string>& fields) {
        if (kind == "summary" && fields.size() >= 3) {
            control::Summary s;
            s.reason = fields[0];
            s.objects = std::stol(fields[1].substr(fields[1].find('=') + 1));
            std::string bstrs = fields[2].substr(fields[2].find('=') + 1);
            s.bstrs = bstrs == "unknown" ? -1 : std::stol(bstrs);
            summary = s;
        }
    });
    if (summary)
        std::printf("   after Exit: %ld engine objects, %ld BSTRs alive (%s)\n", summary->objects,
                    summary->bstrs, summary->reason.c_str());
    char note[160];
    std::snprintf(note, sizeof note,
                  "handles %ld->%ld windows %ld->%ld GDI %ld->%ld objects=%ld bstrs=%ld", a.handles,
                  b.handles, a.windows, b.windows, a.gdi, b.gdi, summary ? summary->objects : -1,
                  summary ? summary->bstrs : -1);
    AddRow("soak private bytes less list text (MB)",
           {(grown - listText) / 1048576, (grown - listText) / 1048576}, {}, 0, note);
    double kept = (double(afterReset.privateBytes) - double(a.privateBytes)) / 1048576;
    AddRow("soak private bytes after Reset All (MB)", {kept, kept}, {}, 0,
           "above the start; the list and the box emptied");
    std::fflush(stdout);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarvell_bench OUTDIR [SOAK_UTTERANCES]\n");
        return 1;
    }
    std::wstring out = argv[1];
    CreateDirectoryW(out.c_str(), nullptr);
    if (argc > 2 && std::wstring(argv[2]) == L"--local-server") {
        bool ok = MeasureLocalServer(out);
        Say("done");
        Print(out + L"\\bench-local.csv");
        if (!ok)
            std::printf("some measurements did not complete\n");
        return ok ? 0 : 1;
    }
    int soak = argc > 2 ? _wtoi(argv[2]) : 10000;
    // TARVELL_BENCH_SOAK_ONLY leaves out all but the soak, for looking into the soak alone.
    bool soakOnly = GetEnvironmentVariableW(L"TARVELL_BENCH_SOAK_ONLY", nullptr, 0) != 0;
    bool ok = soakOnly || MeasureResults(out);
    ok = soakOnly || (MeasureStartUp(out) && ok);
    if (soak > 0)
        ok = Soak(out, soak) && ok;
    Say("done");
    Print(out + L"\\bench.csv");
    if (!ok)
        std::printf("some measurements did not complete\n");
    return ok ? 0 : 1;
}
