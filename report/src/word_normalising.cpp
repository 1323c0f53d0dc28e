#include "word_normalising.h"

#include "text_encoding.h"

namespace {

bool IsApostrophe(char32_t c)
{
    return c == U'\'' || c == 0x2019 || c == 0x2018;
}

bool IsSeparator(char32_t c)
{
    if (c <= 0x20 || c == 0x7F || c == 0xA0)
        return true;
    if (c == U'-' || c == U'/' || c == U'\\' || c == 0xAD)
        return true;
    // General punctuation's dashes and spaces.
    return (c >= 0x2000 && c <= 0x2015) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000 || c == 0x2212;
}

bool IsPunctuationOrSymbol(char32_t c)
{
    if (c < 0x80)
        return !((c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'));
    if (c >= 0x80 && c <= 0xBF)
        return c != 0xAA && c != 0xB5 && c != 0xBA && c != 0xB2 && c != 0xB3 && c != 0xB9;
    if (c == 0xD7 || c == 0xF7)
        return true;
    return (c >= 0x2016 && c <= 0x206F) || (c >= 0x20A0 && c <= 0x20CF) ||
           (c >= 0x3001 && c <= 0x3003) || (c >= 0xFE50 && c <= 0xFE6F) ||
           (c >= 0xFF01 && c <= 0xFF0F);
}

// Letters and digits are whatever is neither a separator nor punctuation.
bool IsWordCharacter(char32_t c)
{
    return !IsSeparator(c) && !IsPunctuationOrSymbol(c) && !IsApostrophe(c);
}

} // namespace

char32_t FoldCase(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : c + 32;
    // Latin Extended-A: upper and lower alternate, with two runs offset by one.
    if (c >= 0x100 && c <= 0x137)
        return c | 1u;
    if (c >= 0x139 && c <= 0x148)
        return (c & 1u) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177)
        return c | 1u;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x179 && c <= 0x17E)
        return (c & 1u) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    return c;
}

std::vector<std::string> NormalisedWords(std::u32string_view text)
{
    std::vector<std::string> words;
    std::u32string word;
    auto finish = [&] {
        if (!word.empty())
            words.push_back(ToUtf8(word));
        word.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsSeparator(c)) {
            finish();
        } else if (IsApostrophe(c)) {
            bool inside = !word.empty() && IsWordCharacter(word.back()) && i + 1 < text.size() &&
                          IsWordCharacter(text[i + 1]);
            if (inside)
                word.push_back(U'\'');
        } else if (IsWordCharacter(c)) {
            word.push_back(FoldCase(c));
        }
    }
    finish();
    return words;
}
