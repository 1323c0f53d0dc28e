// What the driver and the probe inside the program say to each other.
#pragma once

#include <windows.h>

namespace probe {

inline constexpr wchar_t kQueryMessage[] = L"TarvellProbeQuery";
inline constexpr wchar_t kAnswerBlock[] = L"TarvellProbeAnswer";
inline constexpr wchar_t kAnsweredEvent[] = L"TarvellProbeAnswered";

// Questions, posted as the query message with the window in lParam.
enum Question : WPARAM
{
    kSystemCloseState = 1, // GetMenuState of SC_CLOSE in the window's system menu
    kMessageBoxIcon = 2,   // one of the icon kinds below
    kHandleCount = 3,      // kernel handles open in the process
    kWindowCount = 4,      // windows of the process, message-only ones included
    kGdiObjectCount = 5,   // GDI objects of the process, stock objects left out; -1 unknown
    // A control's text as it draws it (mnemonic ampersands taken out, except in edits), in the
    // font the control really uses (WM_GETFONT): pixels; -1 when it cannot be measured.
    kTextWidth = 6,         // GetTextExtentPoint32, one line
    kTextLineHeight = 7,    // the font's tmHeight
    kWrappedTextHeight = 8, // word-wrapped to the client width as a static draws it; -1 when a
                            // word is wider than that
    kFontOfDialog = 9,      // 1 when the control's font is its dialog's, else 0
    kTextRoom = 10,         // the pixels across a control leaves its text: an edit's formatting
                            // rectangle, a push button's inside of its bevel and focus
                            // rectangle, a group box's width less its caption's indents
};

enum IconKind : LONG
{
    kIconNone = 0,
    kIconError = 1,
    kIconWarning = 2,
    kIconInformation = 3,
    kIconQuestion = 4,
};

} // namespace probe
