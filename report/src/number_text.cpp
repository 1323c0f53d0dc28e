#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string Fixed(double value, int decimals)
{
    if (std::isnan(value))
        return "n/a";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    // Rounded as printf rounds, many times faster: a table has a figure per segment.
    char text[400];
    auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return "n/a";
    return std::string(text, end);
}

std::string Percent(double share)
{
    if (std::isnan(share))
        return "n/a";
    return Fixed(share * 100.0, 1) + "%";
}

std::string Count(int64_t value)
{
    return std::to_string(value);
}
