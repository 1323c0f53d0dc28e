// The text of an error report, composed from values so that it can be checked without a window.
#pragma once

#include <windows.h>
#include <string>

// Room of the composed message, terminator included; a longer message is cut to fit.
constexpr size_t kErrorMessageCapacity = 1000;

// "<text> (HRESULT 0x<code>)", and when a description is given a second line holding it
// between double quotes. A null description means COM held none; an empty one still
// gives the second line.
std::wstring ComposeHResultMessage(const wchar_t* text, HRESULT hr, const wchar_t* description);
