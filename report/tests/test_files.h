// Files for the native tests: scratch folders, whole-file reads and writes, the real logs the
// program saved, and running the report program itself.
#pragma once

#include <filesystem>
#include <string>

namespace testfiles {

// A fresh folder under the system's temporary folder, removed with its files at the end.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string Read(const std::filesystem::path& path);
void Write(const std::filesystem::path& path, const std::string& bytes);

// The folder of the logs that the real program saved (TARVELL_REPORT_LOGS), or empty.
std::filesystem::path RealLogs();

// The tarvell-report built beside the test program.
std::filesystem::path ReportProgram();

struct Run
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a command line through the shell with a time limit, collecting its output.
Run RunCommand(const std::string& command, const ScratchFolder& folder, int timeoutSeconds = 60);

// Single quotes for the shell.
std::string Quoted(const std::string& text);

} // namespace testfiles
