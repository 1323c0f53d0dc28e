#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int kExactDecimals = 3;
constexpr uint64_t kScales[kExactDecimals + 1] = {1, 10, 100, 1000};

// The digits of value rounded to decimals, from its binary mantissa times 10^decimals (under
// 2^63) in integers: exact, rounded half to even as printf rounds, and many times faster than
// the general conversion; a table has figures per segment. Null when out of its reach. The
// decimals are a constant, so that no division is by a variable.
template <int decimals> char* ScaledFixed(char* text, double value)
{
    static_assert(decimals >= 0 && decimals <= kExactDecimals);
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
    constexpr uint64_t scale = kScales[decimals];
    uint64_t product = mantissa * scale;
    uint64_t units = 0;
    if (shift <= 0) {
        if (shift < -63 || product > (UINT64_MAX >> -shift))
            return nullptr;
        units = product << -shift;
    } else if (shift < 64) {
        units = product >> shift;
        uint64_t rest = product & ((uint64_t{1} << shift) - 1);
        uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && units % 2 == 1))
            ++units;
    }
    char* end = text;
    if (bits >> 63)
        *end++ = '-';
    end = std::to_chars(end, text + kNumberRoom, units / scale).ptr;
    if (decimals > 0) {
        *end++ = '.';
        uint64_t rest = units % scale;
        for (int digit = decimals - 1; digit >= 0; --digit) {
            end[digit] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        end += decimals;
    }
    return end;
}

char* Copied(char* text, std::string_view word)
{
    std::memcpy(text, word.data(), word.size());
    return text + word.size();
}

} // namespace

char* WriteFixed(char* text, double value, int decimals)
{
    if (std::isnan(value))
        return Copied(text, "n/a");
    if (std::isinf(value))
        return Copied(text, value > 0 ? "inf" : "-inf");
    char* scaled = decimals == 3   ? ScaledFixed<3>(text, value)
                   : decimals == 1 ? ScaledFixed<1>(text, value)
                   : decimals == 0 ? ScaledFixed<0>(text, value)
                   : decimals == 2 ? ScaledFixed<2>(text, value)
                                   : nullptr;
    if (scaled)
        return scaled;
    // Rounded as printf rounds.
    auto [end, error] =
        std::to_chars(text, text + kNumberRoom, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return Copied(text, "n/a");
    return end;
}

char* WritePercent(char* text, double share)
{
    if (std::isnan(share))
        return Copied(text, "n/a");
    char* end = WriteFixed(text, share * 100.0, 1);
    *end++ = '%';
    return end;
}

char* WriteCount(char* text, int64_t value)
{
    return std::to_chars(text, text + kNumberRoom, value).ptr;
}

std::string Fixed(double value, int decimals)
{
    char text[kNumberRoom];
    return std::string(text, WriteFixed(text, value, decimals));
}

std::string Percent(double share)
{
    char text[kNumberRoom];
    return std::string(text, WritePercent(text, share));
}

std::string Count(int64_t value)
{
    return std::to_string(value);
}
