// The command line of tarvell-report.
#pragma once

#include <string>
#include <vector>

struct ReportOptions
{
    std::string reference;
    std::vector<std::string> labels;     // one per log, named or taken from the file names
    std::vector<std::string> labelNotes; // labels that took their folders to be told apart
    std::string csv;
    std::string html;
    bool referenceEachSegment = false; // the reference read once in each segment
    bool details = false;
    bool version = false;
    bool help = false;
    std::vector<std::string> logs;
};

extern const char kUsage[];

// False with a message on a command line that cannot be followed.
bool ParseOptions(const std::vector<std::string>& arguments, ReportOptions& options,
                  std::string& message);
