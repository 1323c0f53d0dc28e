// Tells a log that an editor converted (to UTF-8 or UTF-16) from the Latin-1 text the program
// writes, so that it is refused with what it is rather than read as something it is not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class LogEncodingCheck
{
public:
    // The next bytes of the file, in pieces of any size.
    void Feed(std::string_view bytes);
    // Each line before it is read: false for a byte-order mark or NUL bytes (Problem() says
    // what the file is), told at the same line however the file arrives.
    bool Line(std::string_view line);
    const std::string& Problem() const { return problem_; }
    // At the end: also a file whose bytes above 127 all form UTF-8 characters.
    std::string ProblemAtEnd() const;

private:
    std::string problem_;
    bool firstLine_ = true;
    uint64_t utf8Characters_ = 0;
    uint64_t notUtf8_ = 0;
    // The bytes still due of a UTF-8 character cut by the end of a piece.
    int due_ = 0;
};
