// Reads a PNG file's pixels (8-bit RGB or RGBA, not interlaced: what a browser's screenshot
// gives), so a test can see what was drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb; // three bytes per pixel, row by row

    // Pixels within `tolerance` of the colour in each channel.
    size_t Count(uint8_t r, uint8_t g, uint8_t b, int tolerance = 0) const;
    // Pixels that are not near-white.
    size_t NotWhite() const;
};

// False when the bytes are no PNG of that kind.
bool DecodePng(const std::string& bytes, PngImage& image, std::string& why);
