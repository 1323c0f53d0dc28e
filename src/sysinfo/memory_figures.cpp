#include "sysinfo/memory_figures.h"

#include <cstdint>
#include <cwchar>

#include "resources/resource.h"

namespace {

// The conversion keeps the low 32 bits (GCC reduces modulo 2^32), so a figure of 2^31 MB or
// more shows as negative rather than invoking anything undefined.
std::wstring LowBitsText(uint64_t value)
{
    wchar_t text[kMemoryTextCapacity];
    std::swprintf(text, kMemoryTextCapacity, L"%i", static_cast<int>(static_cast<uint32_t>(value)));
    return text;
}

std::wstring Megabytes(DWORDLONG bytes)
{
    return LowBitsText(bytes >> 20);
}

} // namespace

std::vector<std::pair<int, std::wstring>> MemoryFigureTexts(const MEMORYSTATUSEX& status)
{
    return {
        {IDC_MEMORY_LOAD, LowBitsText(status.dwMemoryLoad)},
        {IDC_TOTAL_PHYSICAL, Megabytes(status.ullTotalPhys)},
        {IDC_AVAILABLE_PHYSICAL, Megabytes(status.ullAvailPhys)},
        {IDC_TOTAL_VIRTUAL, Megabytes(status.ullTotalVirtual)},
        {IDC_AVAILABLE_VIRTUAL, Megabytes(status.ullAvailVirtual)},
        {IDC_TOTAL_PAGE_FILE, Megabytes(status.ullTotalPageFile)},
        {IDC_AVAILABLE_PAGE_FILE, Megabytes(status.ullAvailPageFile)},
    };
}
