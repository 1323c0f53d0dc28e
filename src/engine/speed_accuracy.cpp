#include "app/main_dialog.h"

#include <commctrl.h>
#include <cwchar>

#include "app/com_owners.h"
#include "app/control_text.h"
#include "engine/engine_objects.h"
#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

LRESULT MainDialog::OnSpeedAccuracyDraw(int, NMHDR*)
{
    // The box below runs a message loop in which the slider keeps repainting; one box is
    // enough, and the dialog ends when it closes.
    if (speedFailureShown_)
        return 0;

    LONG position =
        static_cast<LONG>(SendDlgItemMessageW(Window(), IDC_SPEED_ACCURACY, TBM_GETPOS, 0, 0));
    ComPtr<IDgnEngineControl> engine;
    HRESULT hr = CreateEngineControl(engine);
    if (FAILED(hr)) {
        // An engine in another process is created through a call that dispatches messages:
        // a repaint inside it may have failed and shown the box already.
        if (!speedFailureShown_) {
            speedFailureShown_ = true;
            ReportHResult(L"Couldn't create a DgnEngineControl", hr, true);
        }
        return 0;
    }
    Variant value(position);
    if (SUCCEEDED(engine->SetParameter(7, value.Get()))) {
        wchar_t text[64];
        std::swprintf(text, 64, L"%i", static_cast<int>(position));
        ShowControlText(Window(), IDC_CURRENT_SPEED, text);
    }
    // An engine in another process is called through COM's loop, which may paint the slider
    // again at a new position; that inner write ends first, and this one would leave the
    // engine behind the slider. One more paint writes the position it shows now.
    if (SendDlgItemMessageW(Window(), IDC_SPEED_ACCURACY, TBM_GETPOS, 0, 0) != position)
        InvalidateRect(GetDlgItem(Window(), IDC_SPEED_ACCURACY), nullptr, FALSE);
    return 0;
}
