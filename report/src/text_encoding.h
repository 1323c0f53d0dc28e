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

// UTF-8 where the bytes are UTF-8 (a leading byte-order mark dropped), Latin-1 otherwise.
std::u32string DecodeText(std::string_view bytes);

std::string ToUtf8(std::u32string_view text);

// Log text (Latin-1) as UTF-8, for the terminal and the files written.
std::string Latin1ToUtf8(std::string_view bytes);
