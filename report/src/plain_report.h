// The report as plain text for the terminal.
#pragma once

#include <string>
#include <vector>

#include "log_report.h"
#include "text_table.h"

// Prepends a cell to a row.
std::vector<std::string> Row(std::string first, std::vector<std::string> rest);
std::vector<std::string> Row(std::string first, std::string second, std::vector<std::string> rest);

// The report written out piece by piece as it is made, so that a log of many segments never
// holds its whole report in memory.
void WritePlainReport(const std::vector<LogReport>& reports, const std::string& referencePath,
                      bool details, const TextSink& out);
std::string PlainReport(const std::vector<LogReport>& reports, const std::string& referencePath,
                        bool details);
