#include "app/main_dialog.h"

#include "records/log_text.h"
#include "resources/resource.h"

void MainDialog::OnRecognitionStarted()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    SetDlgItemTextW(Window(), IDC_REC_START, FormatTimeOfDay(now).c_str());
    RecognitionStartTick = GetTickCount();
}

void MainDialog::OnResultReady()
{
    AnalyzeResult();
}

void MainDialog::OnTranscriptionEnded()
{
    SetBusy(false);
}
