// Writing the report's files all or not at all: a run that fails, half-way through a file or
// at the second of two, leaves every file as it was.
#pragma once

#include <string>
#include <vector>

struct OutputFile
{
    std::string path;
    std::string text;
};

// Each text goes to a temporary file beside its own; only when all are written completely are
// they moved into place. False with a message naming the file that failed.
bool WriteAllOrNothing(const std::vector<OutputFile>& files, std::string& message);
