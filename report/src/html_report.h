// One self-contained page: the tables and the charts as inline SVG, no scripts, nothing
// fetched from anywhere.
#pragma once

#include <string>
#include <vector>

#include "log_report.h"

std::string HtmlReport(const std::vector<LogReport>& reports, const std::string& referencePath);
