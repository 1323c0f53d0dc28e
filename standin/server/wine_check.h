// Registration is only allowed inside Wine: on real Windows these class ids belong to the real
// engine, and overwriting its registration would break it.
#pragma once

#include <windows.h>

namespace standin {

// True when the module is Wine's ntdll, which exports wine_get_version.
bool IsWineNtdll(HMODULE ntdll);
bool RunningUnderWine();

} // namespace standin
