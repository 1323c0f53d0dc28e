// Conversions between the byte encodings the report meets: Latin-1 logs, UTF-8 or Latin-1
// references, UTF-8 output.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Every byte as the code point of the same value.
std::u32string FromLatin1(std::string_view bytes);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); nothing when the
// bytes are not UTF-8.
std::optional<std::u32string> FromUtf8(std::string_view bytes);

// UTF-8 where the bytes are UTF-8 (a leading byte-order mark dropped), Latin-1 otherwise,
// with Windows-1252's characters in 0x80 to 0x9F.
std::u32string DecodeText(std::string_view bytes);

// UTF-16 in either byte order (surrogate pairs joined); nothing when a pair is broken or a
// byte is left over.
std::optional<std::u32string> FromUtf16(std::string_view bytes, bool bigEndian);

// The text of a file a user hands over: UTF-16 after its byte-order mark, otherwise as
// DecodeText. Nothing, with why, for UTF-16 without a mark or anything else holding NUL bytes.
std::optional<std::u32string> DecodeTextFile(std::string_view bytes, std::string& problem);

std::string ToUtf8(std::u32string_view text);

// Bytes of a name (a label, a file name) as UTF-8: unchanged when they are UTF-8, otherwise
// read as DecodeText reads them.
std::string AsUtf8(std::string_view bytes);

// Log text (Latin-1) as UTF-8, for the terminal and the files written.
std::string Latin1ToUtf8(std::string_view bytes);
