#include "tarvell_driver.h"

#include <algorithm>
#include <cstdio>

#include "files.h"
#include "probe_protocol.h"

namespace driver {

const wchar_t kDialogCaption[] =
    L"Tarvell - Testing Performance and Accuracy               Version 2.0.3";

namespace {

// Controls of the system's file dialogs.
constexpr int kFileNameBox = 0x47C;
constexpr int kFileTypeBox = 0x470;
// The text of a message box.
constexpr int kMessageText = 0xFFFF;

std::wstring FolderOfThisProgram()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The current environment with the extra variables set, as a CreateProcess block.
std::wstring EnvironmentBlock(const Tarvell::Environment& extra)
{
    std::vector<std::wstring> entries;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1)
        entries.emplace_back(p);
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : extra) {
        std::wstring prefix = name + L"=";
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) {
                                         return _wcsnicmp(e.c_str(), prefix.c_str(),
                                                          prefix.size()) == 0;
                                     }),
                      entries.end());
        entries.push_back(prefix + value);
    }
    std::wstring block;
    for (const std::wstring& entry : entries)
        block += entry + L'\0';
    block += L'\0';
    return block;
}

std::vector<std::wstring> SessionLogCandidates()
{
    std::vector<std::wstring> names;
    for (const std::wstring& name : testfiles::List(testfiles::TempFolder()))
        if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".txt") == 0)
            names.push_back(name);
    return names;
}

} // namespace

namespace {

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

// A named callback, not a lambda: the 32-bit build needs the callback's __stdcall.
BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM lp)
{
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

// Asked of the window itself: across processes GetWindowText gives only captions.
std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        kTimeoutMs, nullptr);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<HWND> WindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring Tarvell::ProgramPath()
{
    return FolderOfThisProgram() + L"tarvell.exe";
}

Tarvell::Tarvell(const Environment& extra) : tempFilesBefore_(SessionLogCandidates())
{
    std::wstring path = ProgramPath();
    std::wstring commandLine = L"\"" + path + L"\"";
    std::wstring environment = EnvironmentBlock(extra);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // Wine reports a new process that dies while it loads as a refused start; on a busy
    // machine that passes: tried again, and said.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(),
                           nullptr, &startup, &process_))
            break;
        std::fprintf(stderr, "tarvell.exe could not be started (attempt %d): error %lu\n", attempt,
                     static_cast<unsigned long>(GetLastError()));
        process_ = {};
        if (attempt == 3)
            return;
        Sleep(500);
    }
    job_ = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_ != nullptr)
        if (!SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits) ||
            !AssignProcessToJobObject(job_, process_.hProcess)) {
            CloseHandle(job_);
            job_ = nullptr;
        }
    ResumeThread(process_.hThread);
}

namespace {

// What the program started (a local server of the engine) ends by itself once the program has
// gone, taking back its class objects first: ended by the job on the way, it would leave
// Wine's COM handing them to the next program. What is still there after the wait is ended by
// the job, and said.
void WaitForTheRestOfTheJob(HANDLE job)
{
    auto active = [job]() -> DWORD {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                       sizeof accounting, nullptr))
            return 0;
        return accounting.ActiveProcesses;
    };
    if (!WaitUntil([&] { return active() == 0; }))
        std::fprintf(stderr, "%lu processes the program started did not end: ended by force\n",
                     static_cast<unsigned long>(active()));
}

} // namespace

Tarvell::~Tarvell()
{
    if (probeHook_ != nullptr)
        UnhookWindowsHookEx(probeHook_);
    if (process_.hProcess == nullptr)
        return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, kTimeoutMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    if (job_ != nullptr) {
        WaitForTheRestOfTheJob(job_);
        CloseHandle(job_);
    }
}

bool Tarvell::WaitForDialog(DWORD timeoutMs)
{
    if (process_.hProcess == nullptr)
        return false;
    // Ready when it shows, or when a box stops its start-up before it can show.
    WaitUntil(
        [&] {
            for (HWND window : WindowsOf(ProcessId()))
                if (ClassOf(window) == L"#32770" && WindowText(window) == kDialogCaption)
                    dialog_ = window;
            if (dialog_ != nullptr && (IsWindowVisible(dialog_) || !MessageBoxes().empty()))
                return true;
            return !Running();
        },
        timeoutMs);
    DWORD exitCode = 0;
    if (dialog_ == nullptr && GetExitCodeProcess(process_.hProcess, &exitCode))
        std::fprintf(stderr, "tarvell.exe showed no dialog: exit code 0x%08lx\n",
                     static_cast<unsigned long>(exitCode));
    return dialog_ != nullptr;
}

std::wstring Tarvell::Text(int id) const
{
    return WindowText(Control(id));
}

void Tarvell::SetText(int id, const std::wstring& text) const
{
    SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_BLOCK, kTimeoutMs, nullptr);
}

int Tarvell::FocusedId() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(ThreadId(), &info) || info.hwndFocus == nullptr)
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

std::vector<std::wstring> Tarvell::ListLines(int id) const
{
    std::vector<std::wstring> lines;
    HWND list = Control(id);
    DWORD_PTR count = 0;
    SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_BLOCK, kTimeoutMs, &count);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_BLOCK, kTimeoutMs, &length);
        std::wstring line(length + 1, L'\0');
        SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()), SMTO_BLOCK,
                            kTimeoutMs, nullptr);
        line.resize(wcslen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

int Tarvell::ListCaretIndex(int id) const
{
    DWORD_PTR index = 0;
    SendMessageTimeoutW(Control(id), LB_GETCARETINDEX, 0, 0, SMTO_BLOCK, kTimeoutMs, &index);
    return static_cast<int>(static_cast<LRESULT>(index));
}

void Tarvell::Click(int id) const
{
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
}

void Tarvell::ClickAndWait(int id) const
{
    SendMessageTimeoutW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(Control(id)), SMTO_BLOCK, kTimeoutMs, nullptr);
}

void Tarvell::PressKey(HWND target, WORD key) const
{
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void Tarvell::PressEscape() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(ThreadId(), &info);
    PressKey(info.hwndFocus ? info.hwndFocus : dialog_, VK_ESCAPE);
}

void Tarvell::PressClose() const
{
    PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::vector<MessageBoxInfo> Tarvell::MessageBoxes() const
{
    std::vector<MessageBoxInfo> boxes;
    for (HWND window : WindowsOf(ProcessId())) {
        if (window == dialog_ || ClassOf(window) != L"#32770" || !IsWindowVisible(window) ||
            GetDlgItem(window, kMessageText) == nullptr)
            continue;
        MessageBoxInfo box;
        box.window = window;
        box.owner = GetWindow(window, GW_OWNER);
        box.caption = WindowText(window);
        box.text = WindowText(GetDlgItem(window, kMessageText));
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassOf(child) == L"Button" && IsWindowVisible(child))
                box.buttons.push_back(WindowText(child));
        boxes.push_back(box);
    }
    return boxes;
}

std::optional<MessageBoxInfo> Tarvell::WaitForMessageBox(DWORD timeoutMs) const
{
    std::optional<MessageBoxInfo> found;
    WaitUntil(
        [&] {
            std::vector<MessageBoxInfo> boxes = MessageBoxes();
            if (!boxes.empty())
                found = boxes.front();
            return found.has_value() || !Running();
        },
        timeoutMs);
    return found;
}

void Tarvell::Dismiss(const MessageBoxInfo& box) const
{
    for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Button" && IsWindowVisible(child)) {
            PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                         reinterpret_cast<LPARAM>(child));
            break;
        }
    // Gone before the caller looks for the next box.
    WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

bool Tarvell::Press(const MessageBoxInfo& box, const std::wstring& button) const
{
    for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Button" && IsWindowVisible(child) && WindowText(child) == button) {
            PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                         reinterpret_cast<LPARAM>(child));
            return true;
        }
    return false;
}

std::optional<HWND> Tarvell::WaitForFileDialog(DWORD timeoutMs) const
{
    std::optional<HWND> found;
    WaitUntil(
        [&] {
            for (HWND window : WindowsOf(ProcessId()))
                if (ClassOf(window) == L"#32770" && IsWindowVisible(window) &&
                    GetDlgItem(window, kFileNameBox) != nullptr)
                    found = window;
            return found.has_value() || !Running();
        },
        timeoutMs);
    return found;
}

std::wstring Tarvell::FileDialogName(HWND fileDialog) const
{
    return WindowText(GetDlgItem(fileDialog, kFileNameBox));
}

void Tarvell::SetFileDialogName(HWND fileDialog, const std::wstring& name) const
{
    SendMessageTimeoutW(GetDlgItem(fileDialog, kFileNameBox), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(name.c_str()), SMTO_BLOCK, kTimeoutMs, nullptr);
}

std::vector<std::wstring> Tarvell::FileDialogFilters(HWND fileDialog) const
{
    std::vector<std::wstring> filters;
    HWND box = GetDlgItem(fileDialog, kFileTypeBox);
    DWORD_PTR count = 0;
    SendMessageTimeoutW(box, CB_GETCOUNT, 0, 0, SMTO_BLOCK, kTimeoutMs, &count);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        wchar_t text[512] = {};
        SendMessageTimeoutW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                            kTimeoutMs, nullptr);
        filters.push_back(text);
    }
    return filters;
}

void Tarvell::ConfirmFileDialog(HWND fileDialog) const
{
    PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
}

void Tarvell::CancelFileDialog(HWND fileDialog) const
{
    PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDCANCEL)));
}

long Tarvell::AskProbe(WPARAM question, HWND window)
{
    if (probeHook_ == nullptr) {
        HMODULE probe = LoadLibraryW((FolderOfThisProgram() + L"tarvell_probe.dll").c_str());
        FARPROC address = probe ? GetProcAddress(probe, "ProbeHook") : nullptr;
        auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(address));
        if (hook == nullptr)
            return -1;
        probeHook_ = SetWindowsHookExW(WH_GETMESSAGE, hook, probe, ThreadId());
        if (probeHook_ == nullptr)
            return -1;
    }
    HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(LONG), probe::kAnswerBlock);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, probe::kAnsweredEvent);
    long answer = -1;
    if (block != nullptr && done != nullptr) {
        ResetEvent(done);
        PostMessageW(window, RegisterWindowMessageW(probe::kQueryMessage), question,
                     reinterpret_cast<LPARAM>(window));
        if (WaitForSingleObject(done, kTimeoutMs) == WAIT_OBJECT_0)
            if (auto* value = static_cast<LONG*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0))) {
                answer = *value;
                UnmapViewOfFile(value);
            }
    }
    if (done != nullptr)
        CloseHandle(done);
    if (block != nullptr)
        CloseHandle(block);
    return answer;
}

long Tarvell::MessageBoxIcon(const MessageBoxInfo& box)
{
    return AskProbe(probe::kMessageBoxIcon, box.window);
}

bool Tarvell::SystemCloseGreyed()
{
    long state = AskProbe(probe::kSystemCloseState, dialog_);
    return state != -1 && (state & MF_GRAYED) != 0;
}

DWORD Tarvell::DismissBoxesUntilExit()
{
    std::optional<DWORD> code;
    size_t dismissed = 0;
    WaitWhileProgressing(
        [&] {
            for (const MessageBoxInfo& box : MessageBoxes()) {
                Dismiss(box);
                ++dismissed;
            }
            code = WaitForExit(50);
            return code.has_value();
        },
        [&] { return dismissed; });
    return code.value_or(0xFFFFFFFF);
}

Tarvell::ResourceCounts Tarvell::Resources()
{
    return {AskProbe(probe::kHandleCount, dialog_), AskProbe(probe::kWindowCount, dialog_),
            AskProbe(probe::kGdiObjectCount, dialog_)};
}

Tarvell::TextMeasure Tarvell::MeasureText(HWND control)
{
    return {AskProbe(probe::kFontOfDialog, control) == 1, AskProbe(probe::kTextRoom, control),
            AskProbe(probe::kTextWidth, control), AskProbe(probe::kTextLineHeight, control),
            AskProbe(probe::kWrappedTextHeight, control)};
}

std::optional<DWORD> Tarvell::WaitForExit(DWORD timeoutMs)
{
    if (process_.hProcess == nullptr ||
        WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::optional<DWORD> Tarvell::Exit()
{
    Click(IDOK);
    return WaitForExit();
}

bool Tarvell::Running() const
{
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::wstring Tarvell::SessionLogPath() const
{
    if (!logPath_.empty())
        return logPath_;
    std::wstring folder = testfiles::TempFolder();
    for (const std::wstring& name : SessionLogCandidates()) {
        if (std::find(tempFilesBefore_.begin(), tempFilesBefore_.end(), name) !=
            tempFilesBefore_.end())
            continue;
        std::string bytes = testfiles::Read(folder + name);
        if (bytes.rfind("Mirelle Session Started: ", 0) == 0)
            return logPath_ = folder + name;
    }
    return {};
}

} // namespace driver
