#include "app/main_dialog.h"

#include <oleauto.h>

#include "records/log_text.h"
#include "records/record_names.h"
#include "records/save_file_dialog.h"
#include "resources/resource.h"

namespace {

// The system's reason for a failed file operation. A COM error object that an earlier engine
// failure may have left on the thread is cleared first, so that it cannot pose as this one's.
HRESULT LastFileError()
{
    DWORD error = GetLastError();
    SetErrorInfo(0, nullptr);
    return HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
}

} // namespace

LRESULT MainDialog::OnSaveSessionLog(WORD, WORD, HWND)
{
    SYSTEMTIME pressed;
    GetLocalTime(&pressed);
    std::wstring target;
    if (!AskSaveName(Window(), L"TXT file (*txt)\0*.txt\0", SuggestedLogName(pressed), target))
        return 0;
    for (const std::wstring& line : SaveMarkerLines(pressed))
        log_.AppendLine(line.c_str());
    // The log path stays: the session's next line starts a new file there. If the move
    // fails, the log stays where it is and goes on growing.
    if (!MoveIntoPlace(log_.Path(), target))
        ReportHResult(L"Couldn't save the session log", LastFileError(), false);
    return 0;
}

LRESULT MainDialog::OnExportText(WORD, WORD, HWND)
{
    HWND box = Item(IDC_TRANSCRIPTION);
    if (GetWindowTextLengthW(box) == 0) {
        ShowError(L"No text to export", false);
        SetFocus(box);
        return 0;
    }
    SYSTEMTIME pressed;
    GetLocalTime(&pressed);
    std::wstring target;
    if (!AskSaveName(Window(), L"TXT file (*.txt)\0*.txt\0", SuggestedTranscriptName(pressed),
                     target)) {
        ShowError(L"No file chosen", false);
        SetFocus(box);
        return 0;
    }
    ExportTranscript(target);
    SetFocus(box);
    return 0;
}

void MainDialog::ExportTranscript(const std::wstring& target)
{
    wchar_t folder[kPathCapacity] = {};
    wchar_t temporary[kPathCapacity] = {};
    DWORD length = GetTempPathW(static_cast<DWORD>(kPathCapacity), folder);
    if (length == 0 || length >= kPathCapacity ||
        GetTempFileNameW(folder, L"", 0, temporary) == 0) {
        ReportHResult(L"Couldn't export the text", LastFileError(), false);
        return;
    }

    // Read the box now, not at the press: dictation may have added to it meanwhile.
    HWND box = Item(IDC_TRANSCRIPTION);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    std::string bytes = ExportBytes(text);

    bool written = false;
    HANDLE file = CreateFileW(temporary, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size();
        CloseHandle(file);
    }
    bool moved = written && MoveIntoPlace(temporary, target);
    HRESULT failure = moved ? S_OK : LastFileError();
    // Whatever happened, no temporary file stays behind, also while the report is open.
    DeleteFileW(temporary);
    if (!moved)
        ReportHResult(L"Couldn't export the text", failure, false);
}
