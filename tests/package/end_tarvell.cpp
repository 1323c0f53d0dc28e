// Ends a running Tarvell as a user would: OK on every box that stops its start-up (no engine
// answers where the package is tested), Exit once its dialog shows. Succeeds when the program
// has ended by itself with exit code 0; says what it saw either way. It finds the program by
// its dialog, so that it can end one started by another loader (the emulated 32-bit Wine).
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "tarvell_driver.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // "--desktop": only bring up Wine's desktop, so that the program under the emulation
    // finds it running rather than having to start it itself.
    if (argc == 2 && std::wstring(argv[1]) == L"--desktop") {
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                      nullptr, nullptr);
        DestroyWindow(window);
        return window != nullptr && GetDesktopWindow() != nullptr ? 0 : 1;
    }
    // Found by its dialog, which exists (hidden) from the start of the program's start-up.
    HWND found = nullptr;
    if (!driver::WaitUntil(
            [&] { return (found = FindWindowW(L"#32770", driver::kDialogCaption)) != nullptr; },
            kRunTimeoutMs)) {
        std::wprintf(L"no Tarvell dialog came within %lu ms\n", kRunTimeoutMs);
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(found, &processId);
    HANDLE process = OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    if (process == nullptr) {
        std::wprintf(L"could not open process %lu: error %lu\n", processId, GetLastError());
        return 1;
    }

    HWND dialog = nullptr;
    std::set<HWND> boxesSeen;
    bool exitPressed = false;
    bool ended = driver::WaitUntil(
        [&] {
            bool boxOpen = false;
            for (HWND window : driver::WindowsOf(processId)) {
                if (driver::ClassOf(window) != L"#32770" || !IsWindowVisible(window))
                    continue;
                std::wstring caption = driver::WindowText(window);
                if (caption == driver::kDialogCaption) {
                    if (dialog == nullptr)
                        std::wprintf(L"dialog shown: %ls\n", caption.c_str());
                    dialog = window;
                    continue;
                }
                boxOpen = true;
                if (boxesSeen.insert(window).second)
                    std::wprintf(L"box \"%ls\": %ls\n", caption.c_str(),
                                 driver::WindowText(GetDlgItem(window, 0xFFFF)).c_str());
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
            if (dialog != nullptr && !boxOpen && !exitPressed) {
                std::wprintf(L"pressing Exit\n");
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                exitPressed = true;
            }
            return WaitForSingleObject(process, 50) == WAIT_OBJECT_0;
        },
        kRunTimeoutMs);

    DWORD code = 0xFFFFFFFF;
    if (ended) {
        GetExitCodeProcess(process, &code);
        std::wprintf(L"ended with exit code %lu\n", code);
    } else {
        std::wprintf(L"still running after %lu ms: ended by force\n", kRunTimeoutMs);
        TerminateProcess(process, 99);
        WaitForSingleObject(process, driver::kTimeoutMs);
    }
    CloseHandle(process);
    return ended && code == 0 ? 0 : 1;
}
