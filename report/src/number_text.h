// Numbers as the report writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fixed decimals; "n/a" for a value that is not a number, "inf" or "-inf" for infinities.
std::string Fixed(double value, int decimals);
// A share as a percentage with one decimal ("12.5%"); "n/a" for not a number.
std::string Percent(double share);
std::string Count(int64_t value);

// Room for any of them: a double's widest fixed form is over 300 digits.
constexpr size_t kNumberRoom = 400;
// The same written into text, kNumberRoom bytes, without a string each: a table has figures
// per segment. Return past the last byte written.
char* WriteFixed(char* text, double value, int decimals);
char* WritePercent(char* text, double share);
char* WriteCount(char* text, int64_t value);
