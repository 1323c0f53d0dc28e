#include "number_text.h"

#include <cmath>
#include <cstdio>

std::string Fixed(double value, int decimals)
{
    if (std::isnan(value))
        return "n/a";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
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
