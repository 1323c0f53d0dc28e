// Process entry: one copy per logon session, a single-threaded COM apartment, the main
// dialog run modally, then everything shut down in order. The exit code is always 0.
#include <windows.h>
#include <objbase.h>

#include "app/app_module.h"
#include "app/main_dialog.h"

namespace {

// No "Global\" prefix: the name lives in the logon session's own namespace.
const wchar_t kInstanceMutexName[] = L"{709A8BED-95A9-4598-A4B1-8BDB6A78EFD8}";

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;

    if (FAILED(CoInitialize(nullptr))) {
        MessageBoxW(nullptr, L"OLE initialization failed.", nullptr, MB_OK);
        return 0;
    }
    Module.Init();

    // Destroyed on return, after COM is shut down: its second teardown makes no COM call.
    MainDialog dialog;
    dialog.DoModal(GetActiveWindow());

    Module.Term();
    CoUninitialize();
    if (mutex != nullptr) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return 0;
}
