// Session log text for the tests, built as the program writes it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testlog {

using Words = std::vector<std::pair<int, std::string>>;

std::string StartLines();
// A complete block, its closing lines computed the program's way.
std::string Block(int number, const std::string& rtf, int alternates, const Words& words);
std::string ResetLines();
std::string SaveMarker(const std::string& time = "12:34:56");
// Each line ended by CR LF.
std::string CrLf(const std::vector<std::string>& lines);
std::string ToLf(const std::string& text);

} // namespace testlog
