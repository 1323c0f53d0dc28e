#include "app/centre_window.h"

POINT CentredPosition(SIZE window, const RECT& reference, const RECT& workArea)
{
    POINT at = {(reference.left + reference.right) / 2 - window.cx / 2,
                (reference.top + reference.bottom) / 2 - window.cy / 2};
    if (at.x + window.cx > workArea.right)
        at.x = workArea.right - window.cx;
    if (at.x < workArea.left)
        at.x = workArea.left;
    if (at.y + window.cy > workArea.bottom)
        at.y = workArea.bottom - window.cy;
    if (at.y < workArea.top)
        at.y = workArea.top;
    return at;
}

void CentreWindow(HWND window)
{
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr && (!IsWindowVisible(owner) || IsIconic(owner)))
        owner = nullptr;

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);

    RECT reference = monitor.rcWork;
    if (owner != nullptr)
        GetWindowRect(owner, &reference);
    RECT own;
    GetWindowRect(window, &own);
    POINT at =
        CentredPosition({own.right - own.left, own.bottom - own.top}, reference, monitor.rcWork);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
