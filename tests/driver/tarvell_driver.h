// Runs the real program under Wine and works its dialog from outside, as a user would:
// window messages only, every wait with a timeout, nothing left running afterwards.
#pragma once

#include <windows.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace driver {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kTimeoutMs = 10000;

// The exact caption of the main dialog.
extern const wchar_t kDialogCaption[];

// A top-level message box of the program: caption, text, the texts of its buttons.
struct MessageBoxInfo
{
    HWND window = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
};

// Polls until the condition holds or the time is up; returns whether it held.
template <class Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = kTimeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

// Polls until the condition holds or the work stops moving: gives up only when `progress`
// (a count, a text: anything comparable) has stood still for the whole time limit. For work
// that grows with the test, where a fixed deadline would fail a slow machine, not a stuck one.
template <class Condition, class Progress>
bool WaitWhileProgressing(Condition condition, Progress progress, DWORD stallMs = kTimeoutMs)
{
    auto last = progress();
    DWORD since = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        auto now = progress();
        if (now != last) {
            last = std::move(now);
            since = GetTickCount();
        } else if (GetTickCount() - since > stallMs) {
            return false;
        }
        Sleep(10);
    }
}

class Tarvell
{
public:
    using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

    // Starts bin/tarvell.exe (beside the test) with extra environment variables.
    explicit Tarvell(const Environment& extra = {});
    ~Tarvell();
    Tarvell(const Tarvell&) = delete;
    Tarvell& operator=(const Tarvell&) = delete;

    static std::wstring ProgramPath();

    // Waits for the main dialog by its exact caption, until it shows or a message box
    // holds up its start-up; false when it never came.
    bool WaitForDialog(DWORD timeoutMs = kStartTimeoutMs);
    HWND Dialog() const { return dialog_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    DWORD ThreadId() const { return process_.dwThreadId; }
    // For the process's own counters (memory, handles, window objects); null if it never started.
    HANDLE Process() const { return process_.hProcess; }

    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    // The control id of the window that has the keyboard focus in the program, or 0.
    int FocusedId() const;
    std::vector<std::wstring> ListLines(int id) const;
    int ListCaretIndex(int id) const;

    // Clicks by posting, so that a modal box opened by the click never blocks the driver.
    void Click(int id) const;
    // Clicks and waits until the handler has returned; only for clicks that open no box.
    void ClickAndWait(int id) const;
    void PressKey(HWND target, WORD key) const;
    void PressEscape() const;
    void PressClose() const;

    // Message boxes of the program other than the main dialog.
    std::vector<MessageBoxInfo> MessageBoxes() const;
    std::optional<MessageBoxInfo> WaitForMessageBox(DWORD timeoutMs = kTimeoutMs) const;
    // Presses the box's only or first button and waits until the box has gone.
    void Dismiss(const MessageBoxInfo& box) const;
    // Presses the box's button of this text ("&Yes", "OK", ...); false when it has none.
    bool Press(const MessageBoxInfo& box, const std::wstring& button) const;

    // The system's open-file or save-file dialog while the program shows one.
    std::optional<HWND> WaitForFileDialog(DWORD timeoutMs = kTimeoutMs) const;
    std::wstring FileDialogName(HWND fileDialog) const;
    void SetFileDialogName(HWND fileDialog, const std::wstring& name) const;
    std::vector<std::wstring> FileDialogFilters(HWND fileDialog) const;
    void ConfirmFileDialog(HWND fileDialog) const;
    void CancelFileDialog(HWND fileDialog) const;

    // Which icon a box of the program shows (probe::IconKind), or -1 when the probe failed.
    long MessageBoxIcon(const MessageBoxInfo& box);
    // Whether the dialog's system menu has its Close item greyed.
    bool SystemCloseGreyed();
    // Counted inside the program's process, where Wine answers them; -1 where unknown.
    struct ResourceCounts
    {
        long handles = -1;
        long windows = -1;
        long gdiObjects = -1;
    };
    ResourceCounts Resources();
    // A control's text measured inside the program, in the font the control uses, and the
    // room the control leaves it (probe::kTextRoom); -1 where unknown. wrappedHeight:
    // word-wrapped to the client width, -1 when a word is wider.
    struct TextMeasure
    {
        bool inDialogFont = false;
        long room = -1;
        long width = -1;
        long lineHeight = -1;
        long wrappedHeight = -1;
    };
    TextMeasure MeasureText(HWND control);

    // The exit code, or nothing when the program is still running after the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kTimeoutMs);
    // Dismisses every message box as it comes until the program ends; its exit code, or
    // 0xFFFFFFFF when it did not end in time.
    DWORD DismissBoxesUntilExit();
    // Presses "&Exit" and waits for the end; the exit code.
    std::optional<DWORD> Exit();
    bool Running() const;

    // The session log this run created in the temporary folder, found by its first line
    // and remembered from then on; "" while none has been found.
    std::wstring SessionLogPath() const;

private:
    long AskProbe(WPARAM question, HWND window);

    PROCESS_INFORMATION process_ = {};
    // Ends the program with the test, even when CTest kills the test at its time limit:
    // a program left running would keep the next test's copy from starting.
    HANDLE job_ = nullptr;
    HHOOK probeHook_ = nullptr;
    HWND dialog_ = nullptr;
    std::vector<std::wstring> tempFilesBefore_;
    mutable std::wstring logPath_;
};

// Top-level windows that belong to a process.
std::vector<HWND> WindowsOf(DWORD processId);
// A window's text and its class name, from any process.
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);

} // namespace driver
