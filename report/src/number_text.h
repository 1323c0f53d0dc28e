// Numbers as the report writes them.
#pragma once

#include <cstdint>
#include <string>

// Fixed decimals; "n/a" for a value that is not a number, "inf" or "-inf" for infinities.
std::string Fixed(double value, int decimals);
// A share as a percentage with one decimal ("12.5%"); "n/a" for not a number.
std::string Percent(double share);
std::string Count(int64_t value);
