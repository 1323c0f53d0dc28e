// The scripted session that scripts/run plays when there is no display: it works the real
// dialog through the driver, as a user would, and leaves what it made in one folder.
#include <windows.h>
#include <cstdio>
#include <string>

#include "files.h"
#include "resources/resource.h"
#include "screenshot.h"
#include "tarvell_driver.h"

namespace {

void Say(const std::wstring& text)
{
    std::wprintf(L"%ls\n", text.c_str());
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        Say(L"usage: tarvell_demo <output folder>");
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\')
        folder += L'\\';
    CreateDirectoryW(folder.c_str(), nullptr);

    driver::Tarvell tarvell;
    if (!tarvell.WaitForDialog()) {
        Say(L"The dialog never came up.");
        return 1;
    }
    Say(L"Tarvell is running.");
    // Let the dialog finish painting before it is photographed.
    Sleep(1000);
    std::wstring screenshot = folder + L"tarvell.png";
    if (driver::SaveWindowPng(tarvell.Dialog(), screenshot))
        Say(L"Screenshot: " + screenshot);

    std::string log = testfiles::Read(tarvell.SessionLogPath());
    Say(L"Session log so far:");
    std::printf("%s", log.c_str());
    std::fflush(stdout);

    tarvell.Click(IDOK);
    std::optional<DWORD> code = tarvell.WaitForExit();
    if (!code) {
        Say(L"Tarvell did not end.");
        return 1;
    }
    Say(L"Tarvell ended with exit code " + std::to_wstring(*code) + L".");
    return 0;
}
