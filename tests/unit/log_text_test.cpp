#include <gtest/gtest.h>

#include "local_time.h"
#include "records/log_text.h"

TEST(LogText, StartLineSpellsWeekdayAndMonthInEnglish)
{
    EXPECT_EQ(FormatSessionStartLine(At(2026, 12, 6, 18, 25, 23, 0)),
              L"Mirelle Session Started: Sunday, December 6, 2026 18:25:23");
    EXPECT_EQ(FormatSessionStartLine(At(2027, 1, 30, 0, 0, 0, 6)),
              L"Mirelle Session Started: Saturday, January 30, 2027 00:00:00");
    EXPECT_EQ(FormatSessionStartLine(At(2026, 9, 2, 7, 5, 9, 3)),
              L"Mirelle Session Started: Wednesday, September 2, 2026 07:05:09");
}

TEST(LogText, BannerStartsWithTheServiceName)
{
    EXPECT_EQ(std::wstring(kLogBanner).rfind(L"Mirelle Log File Service, ", 0), 0u);
}

TEST(LogText, Latin1KeepsEveryByteAndReplacesTheRest)
{
    EXPECT_EQ(EncodeLatin1(L"caf\u00e9 \u00ff\u0001"), std::string("caf\xe9 \xff\x01"));
    // A character above U+00FF no longer cuts the line: it becomes "?" and the rest follows.
    EXPECT_EQ(EncodeLatin1(L"a\u0100b\u20acc"), "a?b?c");
    // A surrogate pair is one character, so one "?"; a lone surrogate is one too.
    EXPECT_EQ(EncodeLatin1(L"x\U0001F600y"), "x?y");
    EXPECT_EQ(EncodeLatin1(std::wstring(L"x\xD800y")), "x?y");
    EXPECT_EQ(EncodeLatin1(L""), "");
}

TEST(LogText, LogNameReplacesTheLastDotOfTheWholePath)
{
    EXPECT_EQ(LogPathFromPlaceholder(L"C:\\Temp\\AB12.tmp"), L"C:\\Temp\\AB12.txt");
    EXPECT_EQ(LogPathFromPlaceholder(L"C:\\Temp\\AB12"), L"C:\\Temp\\AB12.txt");
    EXPECT_EQ(LogPathFromPlaceholder(L"C:\\my.dir\\AB12"), L"C:\\my.txt");
    EXPECT_EQ(LogPathFromPlaceholder(L"C:\\Temp\\a.b.tmp"), L"C:\\Temp\\a.b.txt");
}

TEST(LogText, TimeOfDayIsZeroPadded)
{
    EXPECT_EQ(FormatTimeOfDay(At(2026, 1, 1, 7, 0, 9, 1)), L"07:00:09");
    EXPECT_EQ(FormatTimeOfDay(At(2026, 1, 1, 23, 59, 59, 1)), L"23:59:59");
}
