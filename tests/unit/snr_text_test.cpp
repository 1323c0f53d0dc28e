#include <gtest/gtest.h>

#include <limits>

#include "audio/snr_text.h"

TEST(SnrText, ThreeDecimalsInFixedNotation)
{
    struct Case
    {
        double ratio;
        const wchar_t* shown;
    } cases[] = {
        {23.45678, L"23.457"},
        {-1.5, L"-1.500"},
        {0.0, L"0.000"},
        {1e20, L"100000000000000000000.000"},
        {std::numeric_limits<double>::infinity(), L"inf"},
        {-std::numeric_limits<double>::infinity(), L"-inf"},
        {std::numeric_limits<double>::quiet_NaN(), L"nan"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnrText(c.ratio), c.shown) << c.ratio;
}

TEST(SnrText, ValuesTooWideForTheFieldSwitchToExponentNotation)
{
    struct Case
    {
        double ratio;
        const wchar_t* shown;
    } cases[] = {
        {1e300, L"1.000e+300"},
        {-1e300, L"-1.000e+300"},
        {std::numeric_limits<double>::max(), L"1.798e+308"},
        {2e59, L"2.000e+59"},   // 60 digits and ".000" would be 64 characters
        {-2e58, L"-2.000e+58"}, // the sign makes 64
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnrText(c.ratio), c.shown) << c.ratio;

    // The widest value that still fits keeps its fixed form, at exactly 63 characters.
    std::wstring widest = SnrText(9e58);
    EXPECT_EQ(widest.size(), 63u);
    EXPECT_EQ(widest.substr(widest.size() - 4), L".000");
}
