// Saves what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace driver {

// 8-bit RGB rows, top row first.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// An uncompressed PNG of 8-bit RGB rows, top row first.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<unsigned char>& rgb);

// What the window shows on the screen, its frame included; empty when it has gone.
Image CaptureWindow(HWND window);
bool SavePng(const Image& image, const std::wstring& path);
bool SaveWindowPng(HWND window, const std::wstring& path);

// The close button's rectangle in the window's own coordinates (those of CaptureWindow).
RECT CloseButtonRect(HWND window);
// Whether the glyph drawn inside `button` is a cross: dark ink along both of its diagonals.
// Without the symbol font that draws caption buttons, Wine writes the letter "r" there instead.
bool ShowsCross(const Image& image, const RECT& button);

} // namespace driver
