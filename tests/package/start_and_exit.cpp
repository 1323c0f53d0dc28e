// Starts the program at the given path from its own folder, as Explorer would, and ends it as
// a user would: OK on every box that stops its start-up (no engine answers where the package
// is tested), Exit once its dialog shows. Succeeds when the program has ended by itself with
// exit code 0; says what it saw either way.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "tarvell_driver.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: package_start_exit PROGRAM\n");
        return 2;
    }
    std::wstring path = argv[1];
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::wprintf(L"could not start %ls: error %lu\n", path.c_str(), GetLastError());
        return 1;
    }

    HWND dialog = nullptr;
    std::set<HWND> boxesSeen;
    bool exitPressed = false;
    bool ended = driver::WaitUntil(
        [&] {
            bool boxOpen = false;
            for (HWND window : driver::WindowsOf(process.dwProcessId)) {
                if (ClassOf(window) != L"#32770" || !IsWindowVisible(window))
                    continue;
                std::wstring caption = WindowText(window);
                if (caption == driver::kDialogCaption) {
                    if (dialog == nullptr)
                        std::wprintf(L"dialog shown: %ls\n", caption.c_str());
                    dialog = window;
                    continue;
                }
                boxOpen = true;
                if (boxesSeen.insert(window).second)
                    std::wprintf(L"box \"%ls\": %ls\n", caption.c_str(),
                                 WindowText(GetDlgItem(window, 0xFFFF)).c_str());
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
            if (dialog != nullptr && !boxOpen && !exitPressed) {
                std::wprintf(L"pressing Exit\n");
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                exitPressed = true;
            }
            return WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
        },
        kRunTimeoutMs);

    DWORD code = 0xFFFFFFFF;
    if (ended) {
        GetExitCodeProcess(process.hProcess, &code);
        std::wprintf(L"ended with exit code %lu\n", code);
    } else {
        std::wprintf(L"still running after %lu ms: ended by force\n", kRunTimeoutMs);
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, driver::kTimeoutMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended && code == 0 ? 0 : 1;
}
