// The text a log is measured against: UTF-8 (Latin-1, or Windows-1252, where the bytes are not
// UTF-8) or UTF-16 with its byte-order mark, one line per utterance or one text for the whole
// log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ReferenceText
{
    // The normalised words of each line that has any.
    std::vector<std::vector<std::string>> lines;
    size_t WordCount() const;
};

// Bytes that are no text (see DecodeTextFile) give no words.
ReferenceText ReferenceFromBytes(std::string_view bytes);

// False when the file cannot be read or is no text; message names it and says why.
bool ReadReference(const std::string& path, ReferenceText& reference, std::string& message);
