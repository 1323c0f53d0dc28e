// Runs the processor's CPUID instruction for the brand-string leaves.
#pragma once

#include <cstdint>

#include "sysinfo/cpu_brand.h"

// EAX of leaf 0x80000000: the highest extended leaf the processor supports.
uint32_t HighestExtendedLeaf();

// The registers of leaves 0x80000002 to 0x80000004; ask only when HighestExtendedLeaf()
// reaches kLastBrandLeaf.
BrandRegisters ReadBrandRegisters();
