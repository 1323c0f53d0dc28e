#include "sysinfo/cpuid_query.h"

#include <cpuid.h>

uint32_t HighestExtendedLeaf()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    // The plain instruction, not __get_cpuid: that one would answer "no" for a processor
    // without extended leaves instead of handing back what EAX holds.
    __cpuid(0x80000000u, eax, ebx, ecx, edx);
    return eax;
}

BrandRegisters ReadBrandRegisters()
{
    BrandRegisters registers{};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        __cpuid(0x80000002u + leaf, eax, ebx, ecx, edx);
        registers[leaf * 4 + 0] = eax;
        registers[leaf * 4 + 1] = ebx;
        registers[leaf * 4 + 2] = ecx;
        registers[leaf * 4 + 3] = edx;
    }
    return registers;
}
