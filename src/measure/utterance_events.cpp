#include "app/main_dialog.h"

#include "app/control_text.h"
#include "records/log_text.h"
#include "resources/resource.h"

void MainDialog::OnRecognitionStarted()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ShowControlText(Window(), IDC_REC_START, FormatTimeOfDay(now));
    RecognitionStartTick = GetTickCount();
}

void MainDialog::OnResultReady()
{
    AnalyzeResult();
}

void MainDialog::OnTranscriptionEnded()
{
    transcriptionEnded_ = true;
    SetBusy(false);
}
