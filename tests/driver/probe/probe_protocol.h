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
