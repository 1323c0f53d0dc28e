// The processor's brand text, from the registers of the CPUID brand-string leaves.
#pragma once

#include <windows.h>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The last of the three brand-string leaves, 0x80000002 to 0x80000004.
constexpr uint32_t kLastBrandLeaf = 0x80000004;

using BrandRegisters = std::array<uint32_t, 12>; // EAX, EBX, ECX, EDX of each leaf in turn
using BrandBytes = std::array<unsigned char, 48>;

// The registers laid out one after the other, each in little-endian byte order.
BrandBytes BrandBytesFromRegisters(const BrandRegisters& registers);

// The narrow text: up to the first zero byte (or all 48 bytes), without trailing blanks,
// leading blanks kept. No text when the processor's highest extended leaf is below the last
// brand leaf, since the bytes then mean nothing.
std::optional<std::string> BrandText(uint32_t highestExtendedLeaf, const BrandBytes& bytes);

// The text converted from the given code page to UTF-16; empty when the conversion fails.
std::wstring WidenFromCodePage(std::string_view text, UINT codePage);
