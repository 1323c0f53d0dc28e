#include "text_encoding.h"

std::u32string FromLatin1(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.push_back(static_cast<unsigned char>(c));
    return text;
}

std::optional<std::u32string> FromUtf8(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text.push_back(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i < length)
            return std::nullopt;
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        text.push_back(code);
        i += length;
    }
    return text;
}

std::u32string DecodeText(std::string_view bytes)
{
    if (std::optional<std::u32string> text = FromUtf8(bytes)) {
        if (!text->empty() && text->front() == 0xFEFF)
            text->erase(0, 1);
        return *text;
    }
    return FromLatin1(bytes);
}

std::string ToUtf8(std::u32string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return bytes;
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    return ToUtf8(FromLatin1(bytes));
}
