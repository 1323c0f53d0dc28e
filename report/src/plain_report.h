// The report as plain text for the terminal.
#pragma once

#include <string>
#include <vector>

#include "log_report.h"

// Prepends a cell to a row.
std::vector<std::string> Row(std::string first, std::vector<std::string> rest);
std::vector<std::string> Row(std::string first, std::string second, std::vector<std::string> rest);

std::string PlainReport(const std::vector<LogReport>& reports, const std::string& referencePath,
                        bool details);
