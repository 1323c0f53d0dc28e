// A plain text table for the terminal: a header, rows, columns padded to their widest cell;
// the first column left-aligned, the others right-aligned.
#pragma once

#include <string>
#include <vector>

class TextTable
{
public:
    explicit TextTable(std::vector<std::string> header);
    void Add(std::vector<std::string> row);
    std::string Render() const;

private:
    std::vector<std::vector<std::string>> rows_;
};

// Width of a UTF-8 text in characters.
size_t DisplayWidth(const std::string& text);
