// Text conversions shared by the stand-in and its test-side client: UTF-8 files and requests,
// UTF-16 inside COM, and the escaped form that keeps every text on one line.
#pragma once

#include <optional>
#include <string>

namespace standin {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Escapes backslash, tab, CR, LF and other control characters as \\, \t, \r, \n and \x{H};
// characters above U+007E are written as \x{H} too, so the result is plain ASCII.
std::string Escape(const std::wstring& text);
// The inverse of Escape; also accepts UTF-8 characters as they are. Nothing on a bad escape.
std::optional<std::wstring> Unescape(const std::string& text);

// Tokens separated by blanks or tabs.
std::string NextToken(const std::string& line, size_t& pos);
// The rest of the line after the blanks that follow pos.
std::string RestOfLine(const std::string& line, size_t pos);

} // namespace standin
