// Keeps Wine's desktop up while the tests run.
//
// Wine closes a desktop about a second after its last program ends, and the next program
// brings it up again. Windows that a program creates while the desktop is closing or still
// half-built come out as hidden top-level windows instead of message-only ones, and the
// stand-in's request window is then never found: a test started in that second failed now and
// then. A holder, a process with a window on the desktop, keeps it from closing.
//
//   wine_desktop hold      the holder: keeps its window until it is closed
//   wine_desktop           waits until a holder (started beside it) and the desktop are up
//   wine_desktop release   closes every holder and waits until they are gone
#include <windows.h>

#include <cstring>

namespace {

const wchar_t kHolderClass[] = L"TarvellDesktopHolder";
constexpr DWORD kWaitMs = 60000;

LRESULT CALLBACK HolderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Hold()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = HolderProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHolderClass;
    if (!RegisterClassW(&wc))
        return 1;
    // Hidden and top-level: a user of the desktop that no screenshot shows.
    HWND window = CreateWindowExW(0, kHolderClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

bool WaitFor(bool (*done)())
{
    const ULONGLONG until = GetTickCount64() + kWaitMs;
    while (!done()) {
        if (GetTickCount64() >= until)
            return false;
        Sleep(20);
    }
    return true;
}

bool HolderUp()
{
    return FindWindowW(kHolderClass, nullptr) != nullptr;
}

// Asks the first holder still there to close; done when none is left. One at a time: a
// holder closing while the next is looked up after it would end the search early.
bool CloseNextHolder()
{
    HWND holder = FindWindowW(kHolderClass, nullptr);
    if (holder == nullptr)
        return true;
    PostMessageW(holder, WM_CLOSE, 0, 0);
    return false;
}

int Release()
{
    return WaitFor(CloseNextHolder) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "hold") == 0)
        return Hold();
    if (argc > 1 && std::strcmp(argv[1], "release") == 0)
        return Release();
    return WaitFor(HolderUp) && GetDesktopWindow() != nullptr ? 0 : 1;
}
