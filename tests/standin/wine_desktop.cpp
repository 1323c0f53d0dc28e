// Brings up Wine's desktop before any test starts a program. The first window of a prefix
// starts the desktop, and windows that a program creates while the desktop is half-built can
// come out as hidden top-level windows instead of message-only ones, where the stand-in's
// request window is then never found.
#include <windows.h>

int main()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    if (window == nullptr)
        return 1;
    DestroyWindow(window);
    return GetDesktopWindow() != nullptr ? 0 : 1;
}
