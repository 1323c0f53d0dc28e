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

// Writes a table's lines cell by cell, padded to widths known beforehand, and hands them on
// many lines at a time.
class TableLine
{
public:
    TableLine(const std::vector<size_t>& widths, const TextSink& out);
    void Cell(std::string_view cell);
    // A cell whose width is known, as a number's is its size.
    void Cell(std::string_view cell, size_t shown);
    void End();
    // Hands on the lines not yet handed on.
    void Flush();

private:
    // Room for more bytes after the used ones.
    char* Room(size_t bytes);

    const std::vector<size_t>& widths_;
    const TextSink& out_;
    // Written into directly: a string's appends cost more than the cells.
    std::vector<char> lines_;
    size_t used_ = 0;
    size_t lineStart_ = 0;
    size_t column_ = 0;
};

// A table laid out as TextTable lays it out, its rows written as they are made, none of them
// held: for tables of a row per segment. widths: the widest cell of each column under the
// header, which the caller finds beforehand; rows writes every row into the line it is given.
void WriteTable(const std::vector<std::string>& header, std::vector<size_t> widths,
                const std::function<void(TableLine&)>& rows, const TextSink& out);

// Width of a UTF-8 text in characters.
size_t DisplayWidth(std::string_view text);
