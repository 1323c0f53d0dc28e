#include "screenshot.h"

#include <algorithm>

#include "files.h"

namespace driver {

namespace {

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char type[4],
              const std::vector<unsigned char>& body)
{
    PutBigEndian(out, static_cast<uint32_t>(body.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) blocks: simple, and screenshots stay small enough.
std::vector<unsigned char> ZlibStored(const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = std::min<size_t>(65535, data.size() - at);
        bool last = at + length == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + length));
        at += length;
    } while (at < data.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::vector<unsigned char> EncodePng(int width, int height, const std::vector<unsigned char>& rgb)
{
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace
    PutChunk(png, "IHDR", header);
    std::vector<unsigned char> rows;
    size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        rows.push_back(0); // no filter
        rows.insert(rows.end(), rgb.begin() + static_cast<long>(y * stride),
                    rgb.begin() + static_cast<long>((y + 1) * stride));
    }
    PutChunk(png, "IDAT", ZlibStored(rows));
    PutChunk(png, "IEND", {});
    return png;
}

Image CaptureWindow(HWND window)
{
    Image image;
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return image;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    const auto* bgra = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        image.rgb[i * 3] = bgra[i * 4 + 2];
        image.rgb[i * 3 + 1] = bgra[i * 4 + 1];
        image.rgb[i * 3 + 2] = bgra[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

bool SavePng(const Image& image, const std::wstring& path)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    std::vector<unsigned char> png = EncodePng(image.width, image.height, image.rgb);
    testfiles::Write(path, std::string(png.begin(), png.end()));
    return testfiles::Exists(path);
}

bool SaveWindowPng(HWND window, const std::wstring& path)
{
    return SavePng(CaptureWindow(window), path);
}

RECT CloseButtonRect(HWND window)
{
    RECT frame = {};
    GetWindowRect(window, &frame);
    TITLEBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    RECT title = {};
    if (GetTitleBarInfo(window, &bar) && !IsRectEmpty(&bar.rcTitleBar)) {
        title = bar.rcTitleBar;
    } else {
        int border = GetSystemMetrics(SM_CXFIXEDFRAME);
        title = {frame.left + border, frame.top + border, frame.right - border,
                 frame.top + border + GetSystemMetrics(SM_CYCAPTION)};
    }
    // The close button is the caption's last, one button wide.
    RECT button = {title.right - GetSystemMetrics(SM_CXSIZE), title.top, title.right, title.bottom};
    OffsetRect(&button, -frame.left, -frame.top);
    return button;
}

bool ShowsCross(const Image& image, const RECT& button)
{
    // The button's face less its bevel.
    RECT face = {std::max(0L, button.left + 2L), std::max(0L, button.top + 2L),
                 std::min<LONG>(image.width, button.right - 2),
                 std::min<LONG>(image.height, button.bottom - 2)};
    auto dark = [&](LONG x, LONG y) {
        if (x < face.left || y < face.top || x >= face.right || y >= face.bottom)
            return false;
        // The glyph is black; the caption around the button is dark only in blue.
        const unsigned char* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
        return std::max({p[0], p[1], p[2]}) < 64;
    };
    // The ink's bounding box: a cross's is square enough to have diagonals.
    LONG left = face.right, top = face.bottom, right = face.left - 1, bottom = face.top - 1;
    long inkedPixels = 0;
    for (LONG y = face.top; y < face.bottom; ++y)
        for (LONG x = face.left; x < face.right; ++x)
            if (dark(x, y)) {
                ++inkedPixels;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    LONG width = right - left + 1, height = bottom - top + 1;
    if (width < 5 || height < 5 || width > 2 * height || height > 2 * width)
        return false;
    // A glyph on a light face, not a face that is dark all over (off the screen, say).
    if (inkedPixels * 2 > width * height)
        return false;
    // Both diagonals inked along nearly all their length, give or take a pixel.
    auto inkedAlong = [&](bool falling) {
        const int steps = 32;
        int inked = 0;
        for (int i = 0; i <= steps; ++i) {
            LONG x = left + (width - 1) * i / steps;
            LONG y = falling ? top + (height - 1) * i / steps : bottom - (height - 1) * i / steps;
            bool touched = false;
            for (LONG dy = -1; dy <= 1 && !touched; ++dy)
                for (LONG dx = -1; dx <= 1 && !touched; ++dx)
                    touched = dark(x + dx, y + dy);
            inked += touched;
        }
        return inked * 10 >= (steps + 1) * 9;
    };
    return inkedAlong(true) && inkedAlong(false);
}

} // namespace driver
