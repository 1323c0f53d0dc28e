#include "text_table.h"

#include <algorithm>

size_t DisplayWidth(const std::string& text)
{
    size_t width = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}

TextTable::TextTable(std::vector<std::string> header)
{
    rows_.push_back(std::move(header));
}

void TextTable::Add(std::vector<std::string> row)
{
    rows_.push_back(std::move(row));
}

std::string TextTable::Render() const
{
    std::vector<size_t> widths;
    for (const auto& row : rows_)
        for (size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.push_back(0);
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
        }
    std::string text;
    for (const auto& row : rows_) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            std::string pad(widths[i] - DisplayWidth(row[i]), ' ');
            if (i > 0)
                line += "  ";
            line += i == 0 ? row[i] + pad : pad + row[i];
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}
