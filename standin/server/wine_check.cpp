#include "wine_check.h"

namespace standin {

bool IsWineNtdll(HMODULE ntdll)
{
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunningUnderWine()
{
    return IsWineNtdll(GetModuleHandleW(L"ntdll.dll"));
}

} // namespace standin
