#include "measure/session_statistics.h"

#include "app/control_text.h"

void SessionStatistics::Show(HWND dialog)
{
    for (const auto& [id, text] : StatisticsTexts(*this))
        ShowControlText(dialog, id, text);
}
