// The text of a signal-to-noise ratio, as its field shows it.
#pragma once

#include <string>

// Room of the field's text, terminator included.
constexpr size_t kSnrTextCapacity = 64;

// Fixed notation with three decimals ("23.457", "-1.500"); a value too large for that in
// the field, from about 1e59 on, in exponent notation with three decimals ("1.000e+300").
// Infinities and not-a-number as the runtime prints them.
std::wstring SnrText(double ratio);
