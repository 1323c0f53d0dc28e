#include <gtest/gtest.h>

#include <vector>

#include "resources/resource.h"
#include "sysinfo/memory_figures.h"

namespace {

std::wstring TotalPhysicalText(DWORDLONG bytes)
{
    MEMORYSTATUSEX status = {};
    status.ullTotalPhys = bytes;
    return MemoryFigureTexts(status)[1].second;
}

} // namespace

TEST(MemoryFigures, SevenFieldsInTheOrderTheyAreWritten)
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    status.dwMemoryLoad = 57;
    status.ullTotalPhys = 1ull << 20;
    status.ullAvailPhys = 2ull << 20;
    status.ullTotalVirtual = 3ull << 20;
    status.ullAvailVirtual = 4ull << 20;
    status.ullTotalPageFile = 5ull << 20;
    status.ullAvailPageFile = 6ull << 20;
    std::vector<std::pair<int, std::wstring>> expected = {
        {IDC_MEMORY_LOAD, L"57"},        {IDC_TOTAL_PHYSICAL, L"1"},
        {IDC_AVAILABLE_PHYSICAL, L"2"},  {IDC_TOTAL_VIRTUAL, L"3"},
        {IDC_AVAILABLE_VIRTUAL, L"4"},   {IDC_TOTAL_PAGE_FILE, L"5"},
        {IDC_AVAILABLE_PAGE_FILE, L"6"},
    };
    EXPECT_EQ(MemoryFigureTexts(status), expected);
}

TEST(MemoryFigures, BytesBecomeWholeMegabytesRoundedDown)
{
    struct Case
    {
        DWORDLONG bytes;
        const wchar_t* shown;
    } cases[] = {
        {17179869184ull, L"16384"},
        {1572863, L"1"},
        {1048576, L"1"},
        {1048575, L"0"},
        {0, L"0"},
        {140737488224256ull, L"134217727"}, // a 64-bit process's address space
        {(1ull << 51), L"-2147483648"},     // 2^31 MB: only the low 32 bits count
        {(1ull << 52) + (5ull << 20), L"5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TotalPhysicalText(c.bytes), c.shown) << c.bytes;
}
