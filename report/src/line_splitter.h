// Cuts a byte stream into lines the way the program ends them. The program ends every line
// with CR LF, and a word's text may itself hold a bare LF or CR; so when the first line ends
// in CR LF, only CR LF ends a line. A file whose first line ends in LF alone (converted by
// some tool) has its lines ended by LF, a CR before it dropped.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

// No line the program writes comes near this; a longer one means the file is no log, and
// holding it would let any file grow the reader's memory without bound.
constexpr size_t kLongestLine = 64 * 1024;

class LineSplitter
{
public:
    // Hands each complete line (without its line end) to onLine, which returns false to stop.
    // Returns false when onLine stopped or a line grew past kLongestLine (TooLong() says so).
    template <class OnLine> bool Feed(std::string_view chunk, OnLine&& onLine);

    // The bytes after the last line end: a line cut short, or empty.
    const std::string& Remainder() const { return carry_; }
    bool TooLong() const { return tooLong_; }

private:
    enum class Ending
    {
        Unknown,
        CrLf,
        Lf,
    };
    Ending ending_ = Ending::Unknown;
    std::string carry_;
    bool tooLong_ = false;
};

template <class OnLine> bool LineSplitter::Feed(std::string_view chunk, OnLine&& onLine)
{
    size_t pos = 0;
    while (pos < chunk.size()) {
        const void* found = std::memchr(chunk.data() + pos, '\n', chunk.size() - pos);
        if (found == nullptr) {
            carry_.append(chunk.substr(pos));
            if (carry_.size() > kLongestLine) {
                tooLong_ = true;
                return false;
            }
            return true;
        }
        size_t end = static_cast<size_t>(static_cast<const char*>(found) - chunk.data());
        std::string_view piece = chunk.substr(pos, end - pos);
        pos = end + 1;
        std::string_view line = piece;
        if (!carry_.empty()) {
            carry_.append(piece);
            line = carry_;
        }
        bool cr = !line.empty() && line.back() == '\r';
        if (ending_ == Ending::Unknown)
            ending_ = cr ? Ending::CrLf : Ending::Lf;
        if (ending_ == Ending::CrLf && !cr) {
            // A line feed inside a word's text: the line goes on.
            if (carry_.empty())
                carry_.assign(piece);
            carry_.push_back('\n');
            if (carry_.size() > kLongestLine) {
                tooLong_ = true;
                return false;
            }
            continue;
        }
        if (cr)
            line.remove_suffix(1);
        if (line.size() > kLongestLine) {
            tooLong_ = true;
            return false;
        }
        bool more = onLine(line);
        carry_.clear();
        if (!more)
            return false;
    }
    return true;
}
