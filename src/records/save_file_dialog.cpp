#include "records/save_file_dialog.h"

#include <commdlg.h>

#include "records/log_text.h"

bool AskSaveName(HWND owner, const wchar_t* filter, const std::wstring& suggested,
                 std::wstring& chosen)
{
    wchar_t name[kPathCapacity] = {};
    suggested.copy(name, kPathCapacity - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = static_cast<DWORD>(kPathCapacity);
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&dialog))
        return false;
    chosen = name;
    return true;
}

bool MoveIntoPlace(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}
