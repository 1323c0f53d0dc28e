#include "app/main_dialog.h"

#include "measure/report_lines.h"
#include "resources/resource.h"

LRESULT MainDialog::OnResetAll(WORD, WORD, HWND)
{
    SetDlgItemTextW(Window(), IDC_TRANSCRIPTION, L"");
    static const int kCleared[] = {IDC_UTTERANCES,
                                   IDC_WORDS,
                                   IDC_AVERAGE_RTF,
                                   IDC_TOTAL_AVERAGE_SCORE,
                                   IDC_TOTAL_MAXIMUM_SCORE,
                                   IDC_TOTAL_MINIMUM_SCORE,
                                   IDC_TOTAL_DICTATION,
                                   IDC_TOTAL_PROCESSING,
                                   IDC_WPM,
                                   IDC_WPU,
                                   IDC_REC_START,
                                   IDC_STOP_TIME};
    for (int id : kCleared)
        SetDlgItemTextW(Window(), id, L"");
    // The start tick stays: a result without a new start still measures from it.
    Statistics.Reset();
    SendDlgItemMessageW(Window(), IDC_RESULTS, LB_RESETCONTENT, 0, 0);
    SetFocus(Item(IDC_TRANSCRIPTION));
    for (const std::wstring& line : ResetLines())
        log_.AppendLine(line.c_str());
    return 0;
}
