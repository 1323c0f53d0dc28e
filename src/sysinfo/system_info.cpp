#include "app/main_dialog.h"

#include "app/control_text.h"
#include "resources/resource.h"
#include "sysinfo/cpu_brand.h"
#include "sysinfo/cpuid_query.h"
#include "sysinfo/memory_figures.h"

void MainDialog::ShowCpuInfo()
{
    uint32_t highest = HighestExtendedLeaf();
    std::optional<std::string> brand =
        highest < kLastBrandLeaf
            ? std::nullopt
            : BrandText(highest, BrandBytesFromRegisters(ReadBrandRegisters()));
    if (!brand)
        return;
    SetDlgItemTextW(Window(), IDC_CPU_MODEL, WidenFromCodePage(*brand, CP_ACP).c_str());
}

void MainDialog::ShowMemoryInfo()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    for (const auto& [id, text] : MemoryFigureTexts(status))
        ShowControlText(Window(), id, text);
}
