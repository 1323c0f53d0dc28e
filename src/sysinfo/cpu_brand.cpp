#include "sysinfo/cpu_brand.h"

#include <algorithm>

BrandBytes BrandBytesFromRegisters(const BrandRegisters& registers)
{
    BrandBytes bytes{};
    for (size_t i = 0; i < registers.size(); ++i) {
        for (size_t b = 0; b < 4; ++b)
            bytes[i * 4 + b] = static_cast<unsigned char>(registers[i] >> (8 * b));
    }
    return bytes;
}

std::optional<std::string> BrandText(uint32_t highestExtendedLeaf, const BrandBytes& bytes)
{
    if (highestExtendedLeaf < kLastBrandLeaf)
        return std::nullopt;
    auto end = std::find(bytes.begin(), bytes.end(), 0);
    std::string text(bytes.begin(), end);
    size_t kept = text.find_last_not_of(' ');
    text.erase(kept == std::string::npos ? 0 : kept + 1);
    return text;
}

std::wstring WidenFromCodePage(std::string_view text, UINT codePage)
{
    // The system refuses a zero-length conversion; an empty text simply stays empty.
    if (text.empty())
        return {};
    int length = static_cast<int>(text.size());
    // No code page gives more UTF-16 units than it has bytes.
    std::wstring wide(text.size(), L'\0');
    int written = MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), length);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}
