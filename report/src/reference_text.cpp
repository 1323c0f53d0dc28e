#include "reference_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "file_access.h"
#include "text_encoding.h"
#include "word_normalising.h"

size_t ReferenceText::WordCount() const
{
    size_t count = 0;
    for (const auto& line : lines)
        count += line.size();
    return count;
}

ReferenceText ReferenceFromBytes(std::string_view bytes)
{
    ReferenceText reference;
    std::string problem;
    std::u32string text = DecodeTextFile(bytes, problem).value_or(std::u32string());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(U"\r\n", start);
        if (end == std::u32string::npos)
            end = text.size();
        std::vector<std::string> words =
            NormalisedWords(std::u32string_view(text).substr(start, end - start));
        if (!words.empty())
            reference.lines.push_back(std::move(words));
        start = end + 1;
    }
    return reference;
}

bool ReadReference(const std::string& path, ReferenceText& reference, std::string& message)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), &std::fclose);
    if (!file) {
        message = path + ": cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    std::string bytes;
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(file.get())) {
        message = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    std::string problem;
    if (!DecodeTextFile(bytes, problem)) {
        message = path + ": " + problem;
        return false;
    }
    reference = ReferenceFromBytes(bytes);
    return true;
}
