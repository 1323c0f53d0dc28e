#include "text.h"

#include <windows.h>

namespace standin {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string Escape(const std::wstring& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': out += "\\\\"; continue;
        case L'\t': out += "\\t"; continue;
        case L'\r': out += "\\r"; continue;
        case L'\n': out += "\\n"; continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        std::string hex;
        for (unsigned value = c; value != 0 || hex.empty(); value >>= 4)
            hex.insert(hex.begin(), kHex[value & 0xF]);
        out += "\\x{" + hex + "}";
    }
    return out;
}

std::optional<std::wstring> Unescape(const std::string& text)
{
    std::wstring wide = FromUtf8(text);
    std::wstring out;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] != L'\\') {
            out += wide[i];
            continue;
        }
        if (++i >= wide.size())
            return std::nullopt;
        switch (wide[i]) {
        case L'\\': out += L'\\'; continue;
        case L't': out += L'\t'; continue;
        case L'r': out += L'\r'; continue;
        case L'n': out += L'\n'; continue;
        case L'x': break;
        default: return std::nullopt;
        }
        size_t close = wide.find(L'}', i);
        if (i + 1 >= wide.size() || wide[i + 1] != L'{' || close == std::wstring::npos ||
            close == i + 2 || close > i + 8)
            return std::nullopt;
        unsigned long code = 0;
        for (size_t k = i + 2; k < close; ++k) {
            wchar_t h = wide[k];
            int digit = (h >= L'0' && h <= L'9')   ? h - L'0'
                        : (h >= L'A' && h <= L'F') ? h - L'A' + 10
                        : (h >= L'a' && h <= L'f') ? h - L'a' + 10
                                                   : -1;
            if (digit < 0)
                return std::nullopt;
            code = code * 16 + static_cast<unsigned long>(digit);
        }
        if (code > 0x10FFFF)
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (code >> 10));
            out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<wchar_t>(code);
        }
        i = close;
    }
    return out;
}

std::string NextToken(const std::string& line, size_t& pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
        ++pos;
    return line.substr(start, pos - start);
}

std::string RestOfLine(const std::string& line, size_t pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    size_t end = line.size();
    while (end > pos && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r'))
        --end;
    return line.substr(pos, end - pos);
}

} // namespace standin
