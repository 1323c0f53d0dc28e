#include <gtest/gtest.h>

#include <cstring>

#include "sysinfo/cpu_brand.h"

namespace {

BrandBytes Bytes(const char* text, size_t length)
{
    BrandBytes bytes{};
    std::memcpy(bytes.data(), text, length);
    return bytes;
}

BrandBytes Padded(const char* text)
{
    return Bytes(text, std::strlen(text));
}

} // namespace

TEST(CpuBrand, TextEndsAtTheFirstZeroAndLosesOnlyTrailingBlanks)
{
    struct Case
    {
        const char* what;
        BrandBytes bytes;
        std::string text;
    } cases[] = {
        {"zero-terminated", Padded("Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz"),
         "Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz"},
        {"two leading, three trailing blanks", Padded("  Model X   "), "  Model X"},
        {"all 48 bytes, no terminator",
         Bytes("0123456789abcdef0123456789abcdef0123456789abcdef", 48),
         "0123456789abcdef0123456789abcdef0123456789abcdef"},
        {"48 bytes ending in blanks", Bytes("  AMD Ryzen 5 5600X 6-Core Processor            ", 48),
         "  AMD Ryzen 5 5600X 6-Core Processor"},
        {"text after the first zero is ignored", Bytes("Early\0Late   ", 13), "Early"},
        {"tabs are not blanks", Padded("Tab\t"), "Tab\t"},
        {"only blanks", Padded("      "), ""},
        {"all zero", BrandBytes{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrandText(kLastBrandLeaf, c.bytes), c.text) << c.what;
}

TEST(CpuBrand, NoTextBelowTheLastBrandLeaf)
{
    BrandBytes bytes = Padded("Some CPU");
    struct Case
    {
        uint32_t highestLeaf;
        bool hasText;
    } cases[] = {
        {0x80000003u, false}, {0x80000000u, false}, {0x00000016u, false},
        {0x80000004u, true},  {0x80000008u, true},  {0xFFFFFFFFu, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrandText(c.highestLeaf, bytes).has_value(), c.hasText)
            << std::hex << c.highestLeaf;
}

TEST(CpuBrand, RegistersAreLaidOutInOrderLittleEndian)
{
    // "GenuineIntel"-style packing: EAX first, its lowest byte first.
    BrandRegisters registers{0x65746E49, 0x2952286C, 0x726F4320, 0x4D542865, 0x00000029, 0, 0,
                             0,          0,          0,          0,          0x41424344};
    BrandBytes bytes = BrandBytesFromRegisters(registers);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), std::string("Intel(R) Core(TM)"));
    EXPECT_EQ(bytes[17], 0);
    EXPECT_EQ(std::string(bytes.end() - 4, bytes.end()), "DCBA");
    EXPECT_EQ(BrandText(kLastBrandLeaf, bytes), std::string("Intel(R) Core(TM)"));
}

TEST(CpuBrand, WideningUsesTheGivenCodePage)
{
    EXPECT_EQ(WidenFromCodePage("  Intel(R)", 1252), L"  Intel(R)");
    EXPECT_EQ(WidenFromCodePage("Core\x99 \xAE", 1252), L"Core\u2122 \u00AE");
    EXPECT_EQ(WidenFromCodePage("Core\x99", 437), L"Core\u00D6");
    EXPECT_EQ(WidenFromCodePage("", 1252), L"");
    EXPECT_EQ(WidenFromCodePage("abc", 12345), L""); // no such code page
}
