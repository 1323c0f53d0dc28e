// The system's save-file dialog as both record handlers use it.
#pragma once

#include <windows.h>
#include <string>

// Asks for a name, starting from the suggested one; false when the user cancelled or the
// dialog failed. The filter holds one entry: its shown text and "*.txt".
bool AskSaveName(HWND owner, const wchar_t* filter, const std::wstring& suggested,
                 std::wstring& chosen);

// Puts a finished file in place: replaces an existing target, copies across volumes.
bool MoveIntoPlace(const std::wstring& from, const std::wstring& to);
