#include "log_encoding.h"

#include <cstring>

namespace {

const char kExpected[] = "; expected a session log as Tarvell saves it (Latin-1 text)";

} // namespace

bool LogEncodingCheck::Line(std::string_view line)
{
    if (firstLine_) {
        firstLine_ = false;
        if (line.substr(0, 2) == "\xff\xfe" || line.substr(0, 2) == "\xfe\xff")
            problem_ = "is UTF-16 text (it starts with a byte-order mark)";
        else if (line.substr(0, 3) == "\xef\xbb\xbf")
            problem_ = "is UTF-8 text (it starts with a byte-order mark)";
    }
    if (problem_.empty() && std::memchr(line.data(), '\0', line.size()) != nullptr)
        problem_ = "holds NUL bytes: UTF-16 text without a byte-order mark, or not text";
    if (problem_.empty())
        return true;
    problem_ += kExpected;
    return false;
}

void LogEncodingCheck::Feed(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        // Most of a log is ASCII: skip it eight bytes at a time.
        if (due_ == 0) {
            while (i + 8 <= bytes.size()) {
                uint64_t eight;
                std::memcpy(&eight, bytes.data() + i, 8);
                if (eight & 0x8080808080808080ull)
                    break;
                i += 8;
            }
            if (i >= bytes.size())
                break;
        }
        unsigned char c = static_cast<unsigned char>(bytes[i++]);
        if (due_ > 0) {
            if ((c & 0xC0) == 0x80) {
                if (--due_ == 0)
                    ++utf8Characters_;
                continue;
            }
            due_ = 0;
            ++notUtf8_;
        }
        if (c < 0x80)
            continue;
        if (c >= 0xC2 && c <= 0xDF)
            due_ = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            due_ = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            due_ = 3;
        else
            ++notUtf8_;
    }
}

std::string LogEncodingCheck::ProblemAtEnd() const
{
    if (!problem_.empty())
        return problem_;
    if (utf8Characters_ > 0 && notUtf8_ == 0 && due_ == 0)
        return "is UTF-8 text (its letters beyond ASCII are all UTF-8)" + std::string(kExpected);
    return "";
}
