// The words that accuracy is counted on: case folded, punctuation gone, apostrophes kept
// only inside words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lower case for the Latin, Greek and Cyrillic letters that have a simple one-to-one case
// pair; every other character as it is.
char32_t FoldCase(char32_t c);

// The text's words, each in UTF-8: case folded; hyphens, dashes and slashes separate words
// like blanks do; other punctuation and symbols are dropped; an apostrophe (' or U+2019) stays
// only between two letters or digits, as "'".
std::vector<std::string> NormalisedWords(std::u32string_view text);
