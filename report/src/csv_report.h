// The figures as CSV: one row per log (segment "all") and per segment.
#pragma once

#include <string>
#include <vector>

#include "log_report.h"

// A CSV field, quoted when it must be.
std::string CsvField(const std::string& text);

// A text cell (a label) that a spreadsheet would take for a formula (=, +, -, @ first) shown
// as text; a reader takes one leading apostrophe off to get the value back.
std::string CsvText(const std::string& text);

std::string CsvReport(const std::vector<LogReport>& reports);
