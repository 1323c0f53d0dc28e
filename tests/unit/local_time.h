// A local time for tests of texts built from one.
#pragma once

#include <windows.h>

inline SYSTEMTIME At(WORD year, WORD month, WORD day, WORD h, WORD m, WORD s, WORD weekday = 0)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDayOfWeek = weekday;
    t.wDay = day;
    t.wHour = h;
    t.wMinute = m;
    t.wSecond = s;
    return t;
}
