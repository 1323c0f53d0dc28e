// Loaded into the program through a message hook that a test sets on the program's thread.
// It answers what only code inside the program's process can see (the state of a system
// menu item, which icon a message box shows) through a small shared block and an event.
#include <windows.h>

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

LONG Answer(WPARAM question, HWND window)
{
    switch (question) {
    case probe::kSystemCloseState:
        return static_cast<LONG>(
            GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND));
    case probe::kMessageBoxIcon: return IconKind(window);
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
