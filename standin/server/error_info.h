// The thread's error object, as a failing call leaves it for its caller.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace standin {

// Sets the description as the thread's error object, or clears the error object when there is none.
void SetErrorDescription(const std::optional<std::wstring>& description, REFIID iid,
                         const wchar_t* source);

} // namespace standin
