// The text of the session log, built from values.
#pragma once

#include <windows.h>
#include <string>
#include <string_view>

// Room of every path buffer, terminator included.
constexpr size_t kPathCapacity = 260;

extern const wchar_t kLogBanner[];

// "Mirelle Session Started: Sunday, December 6, 2026 18:25:23"
std::wstring FormatSessionStartLine(const SYSTEMTIME& time);

// "hh:mm:ss", 24-hour.
std::wstring FormatTimeOfDay(const SYSTEMTIME& time);

// One byte per character, U+0000 to U+00FF as themselves; any other character, a
// surrogate pair counting as one, becomes "?" so that the rest of the text survives.
std::string EncodeLatin1(std::wstring_view text);

// The placeholder's name with everything from its last "." replaced by ".txt", or with
// ".txt" appended when it has no ".".
std::wstring LogPathFromPlaceholder(std::wstring_view placeholder);
