// Suggested file names, the save marker and the export bytes, built from values.
#pragma once

#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

// "Session log 2026-12-06 18-25-23.txt"
std::wstring SuggestedLogName(const SYSTEMTIME& time);

// "Transcript 182523.txt": the time of day, no date.
std::wstring SuggestedTranscriptName(const SYSTEMTIME& time);

// An empty line, "Session saved at: hh:mm:ss" and a rule of 42 hyphens, closing the
// stretch of the log that is saved.
std::vector<std::wstring> SaveMarkerLines(const SYSTEMTIME& time);

// The Transcription Box's text as the exported file holds it: one byte per character, its
// CR LF line breaks as they are and nothing added, characters above U+00FF as "?".
std::string ExportBytes(std::wstring_view boxText);
