// The journal that tests read: one line per call, event and notable happening, each written
// whole in one write, so that the file is whole even if the process is killed.
// Without TARVELL_STANDIN_JOURNAL in the environment nothing is written.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace standin {

bool JournalEnabled();
void JournalLine(const std::string& kind, const std::vector<std::string>& fields);

// Argument texts of journal lines.
std::string Quoted(const std::optional<std::wstring>& text); // null for none
std::string Quoted(const wchar_t* text);                     // a BSTR; null for a null one
std::string HResultText(HRESULT hr);
std::string VariantText(const VARIANT& value);
std::string Join(const std::vector<std::string>& parts);

} // namespace standin
