// A plain text table for the terminal: a header, rows, columns padded to their widest cell;
// the first column left-aligned, the others right-aligned.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Where text goes as it is made: the terminal, or a string.
using TextSink = std::function<void(std::string_view)>;

class TextTable
{
public:
    explicit TextTable(std::vector<std::string> header);
    void Add(const std::vector<std::string>& row);
    // Line by line.
    void Write(const TextSink& out) const;
    std::string Render() const;

private:
    // The cells back to back, with where each ends and how many each row has: a table of
    // thousands of rows costs little more than its text.
    std::string cells_;
    std::vector<size_t> ends_;
    std::vector<size_t> rowSizes_;
    std::vector<size_t> widths_;
};

// Hands each row of a table to a function, in order, every time it is called.
using TableRows = std::function<void(const std::function<void(const std::vector<std::string>&)>&)>;

// A table laid out as TextTable lays it out, its rows made once for the widths and once for
// the text, none of them held: for tables of a row per segment.
void WriteTable(const std::vector<std::string>& header, const TableRows& rows, const TextSink& out);

// Width of a UTF-8 text in characters.
size_t DisplayWidth(std::string_view text);
