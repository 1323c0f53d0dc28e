// Loaded into the program through a message hook that a test sets on the program's thread.
// It answers what only code inside the program's process can see (the state of a system
// menu item, which icon a message box shows, the process's own resource counts, which Wine
// answers with 0 when another process asks, a control's text measured in its own font)
// through a small shared block and an event.
#include <windows.h>
#include <winternl.h>
#include <string>

#include "probe_protocol.h"

namespace {

LONG IconKind(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        const struct
        {
            LPCWSTR id;
            LONG kind;
        } known[] = {{IDI_HAND, probe::kIconError},
                     {IDI_EXCLAMATION, probe::kIconWarning},
                     {IDI_ASTERISK, probe::kIconInformation},
                     {IDI_QUESTION, probe::kIconQuestion}};
        for (const auto& k : known)
            if (icon != nullptr && icon == LoadIconW(nullptr, k.id))
                return k.kind;
    }
    return probe::kIconNone;
}

// Wine answers GetProcessHandleCount with 0; counting the handle values that are open gives
// the figure there. Handle values are multiples of 4, handed out from the lowest free one.
LONG HandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0)
        return static_cast<LONG>(count);
    LONG open = 0;
    int misses = 0;
    for (ULONG_PTR value = 4; misses < 1024; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return open;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        ++*reinterpret_cast<LONG*>(counter);
    return TRUE;
}

// A named callback, not a lambda: the 32-bit build needs the callback's __stdcall.
BOOL CALLBACK CountOwnWindowAndChildren(HWND top, LPARAM counter)
{
    CountOwnWindow(top, counter);
    EnumChildWindows(top, CountOwnWindow, counter);
    return TRUE;
}

// Wine's GetGuiResources is a stub; windows are the USER objects a leak would pile up.
LONG WindowCount()
{
    LONG count = 0;
    EnumWindows(CountOwnWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        CountOwnWindow(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Wine keeps each process's GDI handles in a table that the process environment block points
// to (GdiSharedHandleTable), 24 bytes an entry: object, owner, a word whose bit 7 marks a
// stock object, the type (0 for a free entry), flags, user pointer.
LONG GdiObjectCount()
{
    LONG gui = static_cast<LONG>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (gui != 0)
        return gui;
#ifdef _WIN64
    const size_t tableOffset = 0xF8;
#else
    const size_t tableOffset = 0x94;
#endif
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic,
                                  sizeof basic, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + tableOffset);
    if (table == nullptr)
        return -1;
    const size_t entrySize = 24, entries = 0x10000;
    LONG count = 0;
    for (size_t i = 0; i < entries; ++i) {
        const BYTE* entry = table + i * entrySize;
        bool stock = (entry[12] & 0x80) != 0;
        if (entry[14] != 0 && !stock)
            ++count;
    }
    return count;
}

// The text as the control draws it: buttons and statics (unless SS_NOPREFIX) hide the
// single ampersand that marks a mnemonic and show "&&" as one.
std::wstring DrawnText(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    bool prefixes = lstrcmpiW(className, L"Button") == 0 ||
                    (lstrcmpiW(className, L"Static") == 0 &&
                     (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) == 0);
    if (!prefixes)
        return text;
    std::wstring drawn;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        drawn += text[i];
    }
    return drawn;
}

// Measures in the control's own font; -1 when it has none (the system font) or the DC fails.
LONG MeasureText(WPARAM question, HWND control)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = font != nullptr ? GetDC(control) : nullptr;
    if (dc == nullptr)
        return -1;
    HGDIOBJ before = SelectObject(dc, font);
    std::wstring text = DrawnText(control);
    LONG answer = -1;
    if (question == probe::kTextWidth) {
        SIZE size = {};
        if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size))
            answer = size.cx;
    } else if (question == probe::kTextLineHeight) {
        TEXTMETRICW metrics = {};
        if (GetTextMetricsW(dc, &metrics))
            answer = metrics.tmHeight;
    } else if (question == probe::kWrappedTextHeight) {
        RECT client = {};
        GetClientRect(control, &client);
        RECT wrapped = {0, 0, client.right, 0};
        int height = DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &wrapped,
                               DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        answer = wrapped.right > client.right ? -1 : height;
    }
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    return answer;
}

LONG TextRoom(HWND control)
{
    RECT client = {};
    GetClientRect(control, &client);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    if (lstrcmpiW(className, L"Edit") == 0) {
        RECT format = {};
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        return format.right - format.left;
    }
    if (lstrcmpiW(className, L"Button") == 0) {
        // A group box's caption starts 7 pixels in and keeps as much clear on the right.
        if ((GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            return client.right - 2 * 8;
        return client.right - 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    }
    return client.right;
}

LONG Answer(WPARAM question, HWND window)
{
    switch (question) {
    case probe::kSystemCloseState:
        return static_cast<LONG>(
            GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND));
    case probe::kMessageBoxIcon: return IconKind(window);
    case probe::kHandleCount: return HandleCount();
    case probe::kWindowCount: return WindowCount();
    case probe::kGdiObjectCount: return GdiObjectCount();
    case probe::kTextWidth:
    case probe::kTextLineHeight:
    case probe::kWrappedTextHeight: return MeasureText(question, window);
    case probe::kTextRoom: return TextRoom(window);
    case probe::kFontOfDialog: {
        LRESULT font = SendMessageW(window, WM_GETFONT, 0, 0);
        return font != 0 && font == SendMessageW(GetParent(window), WM_GETFONT, 0, 0);
    }
    }
    return -1;
}

void Reply(LONG value)
{
    HANDLE block = OpenFileMappingW(FILE_MAP_WRITE, FALSE, probe::kAnswerBlock);
    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, probe::kAnsweredEvent);
    if (block != nullptr) {
        if (auto* answer = static_cast<LONG*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0))) {
            *answer = value;
            UnmapViewOfFile(answer);
        }
        CloseHandle(block);
    }
    if (done != nullptr) {
        SetEvent(done);
        CloseHandle(done);
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wp, LPARAM lp)
{
    static const UINT query = RegisterWindowMessageW(probe::kQueryMessage);
    auto* msg = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == query) {
        Reply(Answer(msg->wParam, reinterpret_cast<HWND>(msg->lParam)));
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
