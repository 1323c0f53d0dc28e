// The results list's painting, held while a result's lines go in.
#pragma once

#include <windows.h>

// Under Wine a visible list box redraws its scroll bar for every added line (about 4 ms), and
// turning painting back on costs one such redraw. The list's painting is held from the first
// line of a result and given back by a message posted to the dialog, so the redraw happens
// after the engine's event has returned, and results that come in a burst share one redraw.
// Nothing the user sees changes: the list could not repaint before the event returned anyway.
class ResultsRedraw
{
public:
    // Posted to the dialog; the dialog answers it with Release().
    static constexpr UINT kReleaseMessage = WM_APP + 1;

    ResultsRedraw() = default;
    ResultsRedraw(const ResultsRedraw&) = delete;
    ResultsRedraw& operator=(const ResultsRedraw&) = delete;

    // Holds the list's painting, if not held already, and posts the release.
    void Hold(HWND dialog, HWND list);
    // Gives painting back and repaints the list; also before a message box, so the list
    // shows what it holds while the box is open.
    void Release();

private:
    HWND list_ = nullptr;
};
