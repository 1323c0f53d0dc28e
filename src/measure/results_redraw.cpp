#include "measure/results_redraw.h"

void ResultsRedraw::Hold(HWND dialog, HWND list)
{
    if (list_ != nullptr || list == nullptr)
        return;
    if (!PostMessageW(dialog, kReleaseMessage, 0, 0))
        return; // without the release to come, the list keeps painting as it goes
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    list_ = list;
}

void ResultsRedraw::Release()
{
    if (list_ == nullptr)
        return;
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    list_ = nullptr;
}
