#include "standin_control.h"

#include "core/text.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

namespace standin::control {
namespace {

constexpr ULONG_PTR kRequestMagic = 0x54535251;
const wchar_t kWindowClass[] = L"TarvellStandinRequests";

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return parts;
        start = tab + 1;
    }
}

} // namespace

std::string TextArgument(const std::wstring& text)
{
    std::string escaped = Escape(text);
    // Blanks at the ends would be trimmed from the line.
    if (!escaped.empty() && escaped.front() == ' ')
        escaped.replace(0, 1, "\\x{20}");
    if (escaped.size() > 1 && escaped.back() == ' ')
        escaped.replace(escaped.size() - 1, 1, "\\x{20}");
    return escaped;
}

std::string FailLine(const FailureRule& rule)
{
    std::string line = "fail " + rule.operation + " " + Hex(rule.result);
    if (rule.when == FailWhen::NthCall)
        line += " nth " + std::to_string(rule.n);
    else if (rule.when == FailWhen::FromNthCall)
        line += " from " + std::to_string(rule.n);
    if (rule.description)
        line += " text " + TextArgument(*rule.description);
    return line + "\n";
}

std::string DictateLines(const Utterance& u)
{
    std::string text = "dictate\n";
    for (const Word& word : u.words)
        text += "word " + std::to_string(word.score) + " " +
                (word.text ? TextArgument(*word.text) : std::string("\\null")) + "\n";
    if (u.start)
        text += "start-time " + std::to_string(u.start->first) + " " +
                std::to_string(u.start->second) + "\n";
    if (u.end)
        text +=
            "end-time " + std::to_string(u.end->first) + " " + std::to_string(u.end->second) + "\n";
    if (u.phraseCount)
        text += "phrases " + std::to_string(*u.phraseCount) + "\n";
    if (u.wordCount)
        text += "word-count " + std::to_string(*u.wordCount) + "\n";
    if (u.processingMs)
        text += "processing-ms " + Number(*u.processingMs) + "\n";
    return text + "end\n";
}

Scenario& Scenario::Speaker(const std::wstring& name)
{
    return Line("speaker " + TextArgument(name));
}

Scenario& Scenario::Version(short major, short minor, short build)
{
    return Line("version " + std::to_string(major) + " " + std::to_string(minor) + " " +
                std::to_string(build));
}

Scenario& Scenario::Source(LONG id, const std::wstring& name)
{
    return Line("source " + std::to_string(id) + " " + TextArgument(name));
}

Scenario& Scenario::Model(const std::wstring& name)
{
    return Line("model " + TextArgument(name));
}

Scenario& Scenario::Vocabulary(const std::wstring& name)
{
    return Line("vocabulary " + TextArgument(name));
}

Scenario& Scenario::Parameter(LONG number, const std::string& type, const std::string& value)
{
    return Line("parameter " + std::to_string(number) + " " + type + " " + value);
}

Scenario& Scenario::ProcessingMs(double ms)
{
    return Line("processing-ms " + Number(ms));
}

Scenario& Scenario::Fail(const FailureRule& rule)
{
    text_ += FailLine(rule);
    return *this;
}

Scenario& Scenario::Line(const std::string& line)
{
    text_ += line + "\n";
    return *this;
}

bool Scenario::WriteTo(const std::wstring& path) const
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text_.data(), static_cast<DWORD>(text_.size()), &written, nullptr) &&
              written == text_.size();
    CloseHandle(file);
    return ok;
}

HWND FindRequestWindow(DWORD processId, DWORD timeoutMs)
{
    std::wstring title = L"Tarvell stand-in " + std::to_wstring(processId);
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, title.c_str());
        if (window || GetTickCount64() >= until)
            return window;
        Sleep(10);
    }
}

std::vector<HWND> RequestWindowsOf(DWORD processId)
{
    std::wstring title = L"Tarvell stand-in " + std::to_wstring(processId);
    std::vector<HWND> windows;
    for (HWND window = nullptr;
         (window = FindWindowExW(HWND_MESSAGE, window, kWindowClass, title.c_str())) != nullptr;)
        windows.push_back(window);
    return windows;
}

std::vector<ProcessEntry> ProcessesNamed(const wchar_t* image)
{
    std::vector<ProcessEntry> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, image) == 0)
            found.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    CloseHandle(snapshot);
    return found;
}

std::vector<DWORD> ServerProcessesOf(DWORD programId)
{
    std::vector<DWORD> servers;
    for (const ProcessEntry& server : ProcessesNamed(kServerExecutable)) {
        if (server.parentId == programId)
            servers.insert(servers.begin(), server.id);
        else
            servers.push_back(server.id);
    }
    return servers;
}

std::vector<DWORD> ServersStartedBy(DWORD programId)
{
    std::vector<DWORD> servers;
    for (const ProcessEntry& server : ProcessesNamed(kServerExecutable))
        if (server.parentId == programId)
            servers.push_back(server.id);
    return servers;
}

HWND FindEngineRequestWindow(DWORD programId, DWORD timeoutMs)
{
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        std::vector<DWORD> candidates = ServerProcessesOf(programId);
        candidates.insert(candidates.begin(), programId);
        for (DWORD id : candidates) {
            if (HWND window = FindRequestWindow(id, 0))
                return window;
        }
        if (GetTickCount64() >= until)
            return nullptr;
        Sleep(10);
    }
}

bool SendRequest(HWND window, const std::string& script)
{
    COPYDATASTRUCT data{};
    data.dwData = kRequestMagic;
    data.cbData = static_cast<DWORD>(script.size());
    data.lpData = const_cast<char*>(script.data());
    DWORD_PTR answer = FALSE;
#if defined(__i386__)
    // The 32-bit tests drive the program under emulation, where a busy moment lasts seconds.
    const UINT flags = SMTO_NORMAL;
    const UINT timeoutMs = 20000;
#else
    const UINT flags = SMTO_ABORTIFHUNG;
    const UINT timeoutMs = 5000;
#endif
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), flags,
                               timeoutMs, &answer) != 0 &&
           answer == TRUE;
}

bool Dictate(HWND window, const Utterance& utterance)
{
    return SendRequest(window, DictateLines(utterance));
}

bool RaiseEvent(HWND window, DISPID id)
{
    return SendRequest(window, "event " + std::to_string(id) + "\n");
}

bool Arm(HWND window, const FailureRule& rule)
{
    return SendRequest(window, FailLine(rule));
}

bool JournalEntry::IsCall(const std::string& operation) const
{
    return kind == "call" && Operation() == operation;
}

HRESULT JournalEntry::Result() const
{
    return static_cast<HRESULT>(std::strtoul(Field(3).c_str(), nullptr, 16));
}

const std::string& JournalEntry::Field(size_t index) const
{
    static const std::string kNone;
    return index < fields.size() ? fields[index] : kNone;
}

std::vector<JournalEntry> ReadJournal(const std::wstring& path)
{
    std::vector<JournalEntry> entries;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return entries;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        // A line without its end is still being written.
        if (end == std::string::npos)
            break;
        std::vector<std::string> parts = SplitTabs(text.substr(start, end - start));
        start = end + 2;
        if (parts.size() < 3)
            continue;
        JournalEntry entry;
        entry.micros = std::strtoll(parts[0].c_str(), nullptr, 10);
        entry.process = std::strtoul(parts[1].c_str(), nullptr, 10);
        entry.kind = parts[2];
        entry.fields.assign(parts.begin() + 3, parts.end());
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<JournalEntry> CallsOf(const std::vector<JournalEntry>& journal,
                                  const std::string& operation)
{
    std::vector<JournalEntry> calls;
    for (const JournalEntry& entry : journal) {
        if (entry.IsCall(operation))
            calls.push_back(entry);
    }
    return calls;
}

std::vector<DISPID> EventsRaised(const std::vector<JournalEntry>& journal)
{
    std::vector<DISPID> ids;
    for (const JournalEntry& entry : journal) {
        if (entry.kind == "event-begin")
            ids.push_back(std::atol(entry.Field(0).c_str()));
    }
    return ids;
}

std::optional<Summary> LastSummary(const std::vector<JournalEntry>& journal)
{
    for (auto it = journal.rbegin(); it != journal.rend(); ++it) {
        if (it->kind != "summary")
            continue;
        Summary summary;
        summary.reason = it->Field(0);
        summary.objects = std::atol(it->Field(1).c_str() + 8); // after "objects="
        const std::string& bstrs = it->Field(2);
        bool counted = bstrs != "bstrs=unknown" && bstrs != "bstrs=n/a";
        summary.bstrs = counted ? std::atol(bstrs.c_str() + 6) : -1;
        summary.alive = it->Field(3);
        return summary;
    }
    return std::nullopt;
}

HRESULT SetTypeLibraryRegistered(const std::wstring& dllPath, bool registered)
{
    HMODULE dll = LoadLibraryW(dllPath.c_str());
    if (!dll)
        return HRESULT_FROM_WIN32(GetLastError());
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
    auto install =
        reinterpret_cast<Install>(reinterpret_cast<void*>(GetProcAddress(dll, "DllInstall")));
    HRESULT hr = install ? install(registered ? TRUE : FALSE, L"typelib")
                         : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(dll);
    return hr;
}

} // namespace standin::control
