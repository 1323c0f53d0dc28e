// The seven memory figures of the dialog, from the system's extended memory status.
#pragma once

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

// Room of each figure's text, terminator included.
constexpr size_t kMemoryTextCapacity = 64;

// The memory load, then total and available physical memory, virtual address space and page
// file, in that order, each with its control id. Byte counts are in MB of 2^20 bytes,
// rounded down, shown as the signed value of their low 32 bits.
std::vector<std::pair<int, std::wstring>> MemoryFigureTexts(const MEMORYSTATUSEX& status);
