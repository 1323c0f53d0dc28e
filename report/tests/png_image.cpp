#include "png_image.h"

#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

uint32_t BigEndian(const std::string& bytes, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

uint8_t Paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

} // namespace

size_t PngImage::Count(uint8_t r, uint8_t g, uint8_t b, int tolerance) const
{
    size_t count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        if (std::abs(rgb[i] - r) <= tolerance && std::abs(rgb[i + 1] - g) <= tolerance &&
            std::abs(rgb[i + 2] - b) <= tolerance)
            ++count;
    return count;
}

size_t PngImage::NotWhite() const
{
    size_t count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        if (rgb[i] < 240 || rgb[i + 1] < 240 || rgb[i + 2] < 240)
            ++count;
    return count;
}

bool DecodePng(const std::string& bytes, PngImage& image, std::string& why)
{
    if (bytes.size() < 8 || std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) != 0) {
        why = "no PNG signature";
        return false;
    }
    std::string compressed;
    int channels = 0;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        uint32_t length = BigEndian(bytes, at);
        std::string type = bytes.substr(at + 4, 4);
        if (at + 12 + length > bytes.size()) {
            why = "a chunk runs past the end";
            return false;
        }
        if (type == "IHDR") {
            image.width = BigEndian(bytes, at + 8);
            image.height = BigEndian(bytes, at + 12);
            int depth = static_cast<uint8_t>(bytes[at + 16]);
            int colour = static_cast<uint8_t>(bytes[at + 17]);
            int interlace = static_cast<uint8_t>(bytes[at + 20]);
            channels = colour == 2 ? 3 : colour == 6 ? 4 : 0;
            if (depth != 8 || channels == 0 || interlace != 0) {
                why = "not 8-bit RGB or RGBA without interlacing";
                return false;
            }
        } else if (type == "IDAT") {
            compressed += bytes.substr(at + 8, length);
        }
        at += 12 + length;
    }
    size_t stride = static_cast<size_t>(image.width) * static_cast<size_t>(channels);
    std::vector<uint8_t> raw((stride + 1) * image.height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (channels == 0 ||
        uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        rawSize != raw.size()) {
        why = "the image data does not inflate to its size";
        return false;
    }
    std::vector<uint8_t> previous(stride, 0), row(stride);
    image.rgb.clear();
    image.rgb.reserve(static_cast<size_t>(image.width) * image.height * 3);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* line = raw.data() + y * (stride + 1);
        uint8_t filter = line[0];
        for (size_t x = 0; x < stride; ++x) {
            int left =
                x >= static_cast<size_t>(channels) ? row[x - static_cast<size_t>(channels)] : 0;
            int up = previous[x];
            int corner = x >= static_cast<size_t>(channels)
                             ? previous[x - static_cast<size_t>(channels)]
                             : 0;
            int value = line[1 + x];
            switch (filter) {
            case 0: break;
            case 1: value += left; break;
            case 2: value += up; break;
            case 3: value += (left + up) / 2; break;
            case 4: value += Paeth(left, up, corner); break;
            default: why = "an unknown row filter"; return false;
            }
            row[x] = static_cast<uint8_t>(value);
        }
        for (size_t x = 0; x < stride; x += static_cast<size_t>(channels))
            image.rgb.insert(image.rgb.end(), row.begin() + static_cast<long>(x),
                             row.begin() + static_cast<long>(x) + 3);
        previous = row;
    }
    return true;
}
