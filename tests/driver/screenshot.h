// Saves what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace driver {

// An uncompressed PNG of 8-bit RGB rows, top row first.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<unsigned char>& rgb);

bool SaveWindowPng(HWND window, const std::wstring& path);

} // namespace driver
