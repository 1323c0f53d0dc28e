#include "text_table.h"

#include <algorithm>
#include <cstring>
#include <string_view>

size_t DisplayWidth(std::string_view text)
{
    size_t width = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}

namespace {

void Widen(std::vector<size_t>& widths, size_t column, std::string_view cell)
{
    if (widths.size() <= column)
        widths.resize(column + 1, 0);
    widths[column] = std::max(widths[column], DisplayWidth(cell));
}

// Appends one padded cell: the first column left-aligned, the others right-aligned. A cell wider
// than its column (or past the last) is written whole, unpadded.
void AppendCell(std::string& line, const std::vector<size_t>& widths, size_t column,
                std::string_view cell)
{
    size_t width = column < widths.size() ? widths[column] : 0;
    size_t shown = DisplayWidth(cell);
    size_t pad = width > shown ? width - shown : 0;
    if (column > 0)
        line.append(2 + pad, ' ');
    line += cell;
    if (column == 0)
        line.append(pad, ' ');
}

void EndLine(std::string& line, const TextSink& out)
{
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    line += '\n';
    out(line);
    line.clear();
}

// Lines handed on together: a table of a row per segment in few writes.
constexpr size_t kBatch = 1 << 15;

} // namespace

TableLine::TableLine(const std::vector<size_t>& widths, const TextSink& out)
    : widths_(widths), out_(out), lines_(kBatch + 1024)
{}

char* TableLine::Room(size_t bytes)
{
    if (used_ + bytes > lines_.size())
        lines_.resize(std::max(2 * lines_.size(), used_ + bytes));
    return lines_.data() + used_;
}

void TableLine::Cell(std::string_view cell)
{
    Cell(cell, DisplayWidth(cell));
}

// As AppendCell lays a cell out.
void TableLine::Cell(std::string_view cell, size_t shown)
{
    size_t column = column_++;
    size_t width = column < widths_.size() ? widths_[column] : 0;
    size_t pad = width > shown ? width - shown : 0;
    size_t gap = column > 0 ? 2 : 0;
    char* at = Room(gap + pad + cell.size());
    if (column > 0) {
        std::memset(at, ' ', gap + pad);
        at += gap + pad;
    }
    std::memcpy(at, cell.data(), cell.size());
    at += cell.size();
    if (column == 0) {
        std::memset(at, ' ', pad);
        at += pad;
    }
    used_ = static_cast<size_t>(at - lines_.data());
}

void TableLine::End()
{
    // Trailing spaces go, as EndLine drops them.
    while (used_ > lineStart_ && lines_[used_ - 1] == ' ')
        --used_;
    *Room(1) = '\n';
    lineStart_ = ++used_;
    column_ = 0;
    if (used_ >= kBatch)
        Flush();
}

void TableLine::Flush()
{
    if (used_ > 0)
        out_(std::string_view(lines_.data(), used_));
    used_ = lineStart_ = 0;
}

TextTable::TextTable(std::vector<std::string> header)
{
    Add(header);
}

void TextTable::Add(const std::vector<std::string>& row)
{
    for (size_t i = 0; i < row.size(); ++i) {
        Widen(widths_, i, row[i]);
        cells_ += row[i];
        ends_.push_back(cells_.size());
    }
    rowSizes_.push_back(row.size());
}

void TextTable::Write(const TextSink& out) const
{
    std::string line;
    size_t cell = 0;
    size_t start = 0;
    for (size_t cells : rowSizes_) {
        for (size_t i = 0; i < cells; ++i, ++cell) {
            AppendCell(line, widths_, i,
                       std::string_view(cells_.data() + start, ends_[cell] - start));
            start = ends_[cell];
        }
        EndLine(line, out);
    }
}

void WriteTable(const std::vector<std::string>& header, std::vector<size_t> widths,
                const std::function<void(TableLine&)>& rows, const TextSink& out)
{
    for (size_t i = 0; i < header.size(); ++i)
        Widen(widths, i, header[i]);
    TableLine line(widths, out);
    for (const std::string& cell : header)
        line.Cell(cell);
    line.End();
    rows(line);
    line.Flush();
}

std::string TextTable::Render() const
{
    std::string text;
    Write([&](std::string_view line) { text += line; });
    return text;
}
