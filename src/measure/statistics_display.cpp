#include "measure/session_statistics.h"

void SessionStatistics::Show(HWND dialog)
{
    for (const auto& [id, text] : StatisticsTexts(*this))
        SetDlgItemTextW(dialog, id, text.c_str());
}
