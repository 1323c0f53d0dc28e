// Texts of the dialog's figure fields, refreshed on every engine event.
#pragma once

#include <windows.h>

#include <string>

// Sets a control's text only when it differs from what the control shows. Under Wine each
// edit-control text update costs some hundreds of microseconds inside the engine's event, and
// most refreshed figures (memory, times to the second, score extremes) have not changed since
// the previous event.
void ShowControlText(HWND dialog, int id, const std::wstring& text);
