// Centring a dialog over its owner, or over the work area of its monitor.
#pragma once

#include <windows.h>

// Where a window of the given size goes: centred on the reference rectangle, then moved
// back inside the work area, right and bottom edges first, then left and top.
POINT CentredPosition(SIZE window, const RECT& reference, const RECT& workArea);

void CentreWindow(HWND window);
