#include "engine/profile_text.h"

#include <cstring>
#include <cwchar>

std::wstring EngineVersionText(short major, short minor, short build)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%d.%d.%d", major, minor, build);
    return text;
}

short LowSigned16(const VARIANT& value)
{
    // The value's first two bytes, whatever the type: little-endian, so its low 16 bits.
    short low;
    std::memcpy(&low, &value.iVal, sizeof low);
    return low;
}
