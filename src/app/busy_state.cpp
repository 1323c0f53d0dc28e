#include "app/main_dialog.h"

#include "resources/resource.h"

void MainDialog::SetBusy(bool busy)
{
    // The busy state is exactly what these controls show; nothing else records it.
    struct Entry
    {
        int id;
        bool enabledWhenBusy;
    };
    static const Entry kOrder[] = {
        {IDC_PATH, false},       {IDC_BROWSE, false},    {IDC_TRANSCRIPTION, false},
        {IDC_TRANSCRIBE, false}, {IDC_RESET_ALL, false}, {IDC_SPEED_ACCURACY, false},
        {IDOK, false},           {IDC_STOP, true},       {IDC_EXPORT_TEXT, false},
    };
    for (const Entry& entry : kOrder)
        EnableWindow(Item(entry.id), busy == entry.enabledWhenBusy);
    EnableMenuItem(GetSystemMenu(Window(), FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
    EnableWindow(Item(IDC_CHECK_SNR), !busy);
}
