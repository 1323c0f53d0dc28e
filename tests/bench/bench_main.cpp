// The bench of scripts/bench: runs the program against the stand-in engine beside the floor
// probes, prints one table of figures and writes it, the soak's per-utterance costs and its
// resource samples as CSV into the output folder.
//   tarvell_bench.exe OUTDIR [SOAK_UTTERANCES]
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

// Per result event: the span to the end stamp's low half, the whole Invoke, the words listed.
struct ResultSpan
{
    double beforeTick = -1;
    double invoke = 0;
    int words = 0;
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
        } else if (begin >= 0 && kind == "call" && !fields.empty()) {
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

// Runs the probe in this process's environment (the stand-in's variables set as for the program).
bool RunProbe(const std::wstring& arguments)
{
    std::wstring path = Beside(L"tarvell_bench_probe.exe");
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    bool ended = WaitForSingleObject(process.hProcess, 300000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 99);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended && code == 0;
}

void UseStandinFiles(const std::wstring& scenario, const std::wstring& journal)
{
    SetEnvironmentVariableW(control::kScenarioVariable, scenario.c_str());
    SetEnvironmentVariableW(control::kJournalVariable, journal.c_str());
}

// One run of the program against the stand-in, its files in the output folder.
class Run
{
public:
    Run(const std::wstring& out, const Scenario& scenario)
        : journal_(out + L"\\journal.txt"), startStamp_(0)
    {
        std::wstring scenarioPath = out + L"\\scenario.txt";
        DeleteFileW(journal_.c_str());
        scenario.WriteTo(scenarioPath);
        startStamp_ = standin::NowMicroseconds();
        program_ = std::make_unique<driver::Tarvell>(driver::Tarvell::Environment{
            {control::kScenarioVariable, scenarioPath}, {control::kJournalVariable, journal_}});
    }

    driver::Tarvell* operator->() { return program_.get(); }
    bool Start()
    {
        return program_->WaitForDialog() &&
               (requests_ = control::FindRequestWindow(program_->ProcessId(), driver::kTimeoutMs));
    }
    bool Dictate(const Utterance& utterance) { return control::Dictate(requests_, utterance); }
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
        Sleep(20);
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
        std::printf("%-34s %12.1f %12.1f %12.1f %12.1f %7.2f %7.2f  %s %s\n", row.figure.c_str(),
                    row.program.median, row.program.p99, row.floor.median, row.floor.p99, ratio,
                    row.target, met ? "ok" : "MISSED", row.note.c_str());
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

// 1 and 2: one session of 1,000 ten-word utterances, then longer ones; the probes beside it.
bool MeasureResults(const std::wstring& out)
{
    Say("overhead and cost per line: 1000 x 10 words, 30 x 100, 10 x 1000");
    const std::vector<std::pair<int, int>> batches = {{10, 1000}, {100, 30}, {1000, 10}};
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
        std::vector<ResultSpan> spans = ResultSpans(session.JournalPath());
        std::vector<double> beforeTick;
        std::map<int, std::vector<double>> perLine;
        for (const ResultSpan& span : spans) {
            if (span.words == 10)
                beforeTick.push_back(span.beforeTick);
            perLine[span.words].push_back(span.invoke / (span.words + 9));
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
                sizes += std::to_wstring(words + 9) + L",";
        std::wstring linesOut = out + L"\\lines.txt";
        if (!RunProbe(L"lines " + sizes + L" \"" + linesOut + L"\""))
            return false;
        std::vector<double> floorLines = ReadFigures(linesOut);
        // The same lines with the engine calls each word needs, timed from the journal as
        // the program is: the stand-in's own cost per call is in both.
        std::wstring batchText;
        for (auto [words, count] : batches)
            batchText += std::to_wstring(words) + L"," + std::to_wstring(count) + L",";
        DeleteFileW(probeJournal.c_str());
        if (!RunProbe(L"engine-lines " + batchText))
            return false;
        std::map<int, std::vector<double>> engineLines;
        for (const ResultSpan& span : ResultSpans(probeJournal))
            engineLines[span.words].push_back(span.invoke / (span.words + 9));
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
    }
    return true;
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
    std::printf("   private bytes %zu -> %zu (+%.1f MB; list text about %.1f MB), working set "
                "%zu -> %zu\n",
                a.privateBytes, b.privateBytes, grown / 1048576, listText / 1048576, a.workingSet,
                b.workingSet);
    std::printf("   after Reset All%s: private bytes %zu (%+.1f MB on the start), handles %ld, "
                "windows %ld, GDI objects %ld\n",
                cleared ? "" : " (not cleared in time)", afterReset.privateBytes,
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
    int soak = argc > 2 ? _wtoi(argv[2]) : 10000;
    CreateDirectoryW(out.c_str(), nullptr);
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
