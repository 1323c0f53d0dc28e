#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kExactDecimals = 3;
constexpr uint64_t kScales[kExactDecimals + 1] = {1, 10, 100, 1000};

// The digits of value rounded to decimals, from its binary mantissa times 10^decimals (under
// 2^63) in integers: exact, rounded half to even as printf rounds, and many times faster than
// the general conversion; a table has figures per segment. Empty when out of its reach.
std::string ScaledFixed(double value, int decimals)
{
    if (decimals < 0 || decimals > kExactDecimals)
        return "";
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    if (exponent == 0)
        exponent = 1; // subnormal
    else
        mantissa |= uint64_t{1} << 52;
    // value = mantissa / 2^shift
    int shift = 1075 - exponent;
    uint64_t scale = kScales[decimals];
    uint64_t product = mantissa * scale;
    uint64_t units = 0;
    if (shift <= 0) {
        if (shift < -63 || product > (UINT64_MAX >> -shift))
            return "";
        units = product << -shift;
    } else if (shift < 64) {
        units = product >> shift;
        uint64_t rest = product & ((uint64_t{1} << shift) - 1);
        uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && units % 2 == 1))
            ++units;
    }
    char text[32];
    char* end = text;
    if (bits >> 63)
        *end++ = '-';
    end = std::to_chars(end, text + sizeof text, units / scale).ptr;
    if (decimals > 0) {
        *end++ = '.';
        uint64_t rest = units % scale;
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
