#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

// Where a long double holds 64 bits, a double times 1000 fits it exactly (53 + 10 bits), so
// rounding the product half to even rounds as printf does; elsewhere, or past 2^63 units, the
// general conversion is used.
constexpr bool kExactScaling = std::numeric_limits<long double>::digits >= 64;
constexpr int kExactDecimals = 3;
constexpr long double kPowers[kExactDecimals + 1] = {1.0L, 10.0L, 100.0L, 1000.0L};
constexpr long double kMostUnits = 9.2e18L;

// The value rounded to units of 10^-decimals as digits: many times faster than the general
// conversion, and a table has a figure per segment. An empty text when it cannot be done so.
std::string ScaledFixed(double value, int decimals)
{
    if (!kExactScaling || decimals < 0 || decimals > kExactDecimals)
        return "";
    long double units = std::fabs(static_cast<long double>(value)) * kPowers[decimals];
    if (!(units < kMostUnits))
        return "";
    // Truncated, then rounded half to even: each step exact.
    auto whole = static_cast<uint64_t>(units);
    long double fraction = units - static_cast<long double>(whole);
    if (fraction > 0.5L || (fraction == 0.5L && whole % 2 == 1))
        ++whole;
    uint64_t scale = static_cast<uint64_t>(kPowers[decimals]);
    char text[32];
    char* end = text;
    if (std::signbit(value))
        *end++ = '-';
    end = std::to_chars(end, text + sizeof text, whole / scale).ptr;
    if (decimals > 0) {
        *end++ = '.';
        uint64_t rest = whole % scale;
        for (int digit = decimals - 1; digit >= 0; --digit) {
            end[digit] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        end += decimals;
    }
    return std::string(text, end);
}

} // namespace

std::string Fixed(double value, int decimals)
{
    if (std::isnan(value))
        return "n/a";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    std::string scaled = ScaledFixed(value, decimals);
    if (!scaled.empty())
        return scaled;
    // Rounded as printf rounds.
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
