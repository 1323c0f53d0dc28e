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
    // A text saved as "ANSI" on Windows is Windows-1252: its quotes and dashes sit where
    // Latin-1 has control codes that no text holds.
    static const char32_t kWindows1252[32] = {
        0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
        0x2039, 0x152,  0x8D,   0x17D,  0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    std::u32string text = FromLatin1(bytes);
    for (char32_t& c : text)
        if (c >= 0x80 && c <= 0x9F)
            c = kWindows1252[c - 0x80];
    return text;
}

std::optional<std::u32string> FromUtf16(std::string_view bytes, bool bigEndian)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::u32string text;
    text.reserve(bytes.size() / 2);
    auto unit = [&](size_t at) -> char32_t {
        unsigned char first = static_cast<unsigned char>(bytes[at]);
        unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    for (size_t at = 0; at < bytes.size(); at += 2) {
        char32_t code = unit(at);
        if (code >= 0xDC00 && code <= 0xDFFF)
            return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
            at += 2;
            if (at >= bytes.size())
                return std::nullopt;
            char32_t low = unit(at);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        text.push_back(code);
    }
    return text;
}

std::optional<std::u32string> DecodeTextFile(std::string_view bytes, std::string& problem)
{
    bool little = bytes.substr(0, 2) == "\xff\xfe";
    if (little || bytes.substr(0, 2) == "\xfe\xff") {
        std::optional<std::u32string> text = FromUtf16(bytes.substr(2), !little);
        if (!text)
            problem = "is not whole UTF-16 text, though it starts with UTF-16's byte-order mark";
        return text;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        problem = "holds NUL bytes: UTF-16 text without a byte-order mark, or not text; expected "
                  "UTF-8, Latin-1 or UTF-16 with its byte-order mark (as Notepad saves it)";
        return std::nullopt;
    }
    return DecodeText(bytes);
}

std::string AsUtf8(std::string_view bytes)
{
    if (FromUtf8(bytes))
        return std::string(bytes);
    return ToUtf8(DecodeText(bytes));
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
