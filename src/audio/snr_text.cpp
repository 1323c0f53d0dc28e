#include "audio/snr_text.h"

#include <cwchar>

std::wstring SnrText(double ratio)
{
    wchar_t text[kSnrTextCapacity];
    int length = std::swprintf(text, kSnrTextCapacity, L"%0.3f", ratio);
    if (length >= 0 && static_cast<size_t>(length) < kSnrTextCapacity)
        return text;
    // Only a broken file or engine gives such a ratio. Cutting the fixed text would show a
    // wrong number that looks right; the exponent form keeps the same three decimals and
    // never needs more than a dozen characters.
    std::swprintf(text, kSnrTextCapacity, L"%0.3e", ratio);
    return text;
}
