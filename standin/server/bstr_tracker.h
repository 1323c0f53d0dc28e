// Counts the strings that the stand-in hands out and that their receiver never frees.
//
// oleaut32 keeps freed strings in a cache instead of freeing their memory, so watching
// CoTaskMemFree alone misses most frees. SysFreeString does ask the task allocator for every
// string's size first, though, and an IMallocSpy sees that request as well as any real free or
// reallocation: a handed-out string counts as freed at the first of these that names its block.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace standin {

// Installs the spy (once per process); the count is known only when this succeeded.
bool StartBstrTracking();
// A new BSTR for the caller; tracked when tracking runs. A null text gives a null BSTR.
BSTR HandOut(const std::optional<std::wstring>& text);
// Strings handed out and not freed yet; none when tracking does not run.
std::optional<size_t> UnfreedBstrs();

} // namespace standin
