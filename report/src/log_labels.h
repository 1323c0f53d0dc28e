// The names the logs go by in every table and chart: the ones given, then the file names,
// told apart by their folders where two logs share a file name. All UTF-8.
#pragma once

#include <string>
#include <vector>

struct LogLabels
{
    std::vector<std::string> labels; // one per log
    std::vector<std::string> notes;  // a label that had to take its folders, said so
};

LogLabels LabelsOf(const std::vector<std::string>& logs, const std::vector<std::string>& given);
