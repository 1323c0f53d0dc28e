// The text a log is measured against: UTF-8 (Latin-1 where the bytes are not UTF-8), one line
// per utterance or one text for the whole log.
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

ReferenceText ReferenceFromBytes(std::string_view bytes);

// False when the file cannot be read; message names it and says why.
bool ReadReference(const std::string& path, ReferenceText& reference, std::string& message);
