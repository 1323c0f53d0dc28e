// Cuts a byte stream into lines the way the program ends them. The program ends every line
// with CR LF, and a word's text may itself hold a bare LF or CR; so when the first line ends
// in CR LF, only CR LF ends a line. A file whose first line ends in LF alone (converted by
// some tool) has its lines ended by LF, a CR before it dropped; one whose first line ends in
// CR alone (some editors and copy tools) has its lines ended by CR.
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
        // The first line ended in CR at the end of a chunk: LF next makes it CR LF.
        AfterFirstCr,
        CrLf,
        Lf,
        Cr,
    };
    // Takes what the first line end tells from chunk at pos; false when the chunk ends first.
    template <class OnLine> bool Settle(std::string_view chunk, size_t& pos, OnLine&& onLine);
    bool Carry(std::string_view piece);

    Ending ending_ = Ending::Unknown;
    std::string carry_;
    bool tooLong_ = false;
    bool stopped_ = false;
};

inline bool LineSplitter::Carry(std::string_view piece)
{
    carry_.append(piece);
    if (carry_.size() > kLongestLine) {
        tooLong_ = true;
        return false;
    }
    return true;
}

template <class OnLine>
bool LineSplitter::Settle(std::string_view chunk, size_t& pos, OnLine&& onLine)
{
    if (ending_ == Ending::AfterFirstCr) {
        if (chunk[pos] == '\n') {
            ++pos;
            ending_ = Ending::CrLf;
        } else {
            ending_ = Ending::Cr;
        }
        return true;
    }
    size_t end = chunk.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        Carry(chunk.substr(pos));
        pos = chunk.size();
        return false;
    }
    if (chunk[end] == '\n' || (end + 1 < chunk.size() && chunk[end + 1] == '\n')) {
        ending_ = chunk[end] == '\n' ? Ending::Lf : Ending::CrLf;
        return true;
    }
    // A CR ends the first line whatever follows; the next byte tells CR LF from CR.
    if (!Carry(chunk.substr(pos, end - pos)))
        return false;
    pos = end + 1;
    ending_ = pos < chunk.size() ? Ending::Cr : Ending::AfterFirstCr;
    bool more = onLine(std::string_view(carry_));
    carry_.clear();
    stopped_ = !more;
    return more;
}

template <class OnLine> bool LineSplitter::Feed(std::string_view chunk, OnLine&& onLine)
{
    size_t pos = 0;
    while (pos < chunk.size()) {
        if (ending_ == Ending::Unknown || ending_ == Ending::AfterFirstCr) {
            if (!Settle(chunk, pos, onLine))
                return !tooLong_ && !stopped_;
            continue;
        }
        char end = ending_ == Ending::Cr ? '\r' : '\n';
        const void* found = std::memchr(chunk.data() + pos, end, chunk.size() - pos);
        if (found == nullptr)
            return Carry(chunk.substr(pos));
        size_t at = static_cast<size_t>(static_cast<const char*>(found) - chunk.data());
        std::string_view piece = chunk.substr(pos, at - pos);
        pos = at + 1;
        std::string_view line = piece;
        if (!carry_.empty()) {
            carry_.append(piece);
            line = carry_;
        }
        bool cr = ending_ != Ending::Cr && !line.empty() && line.back() == '\r';
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
