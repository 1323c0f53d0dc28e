#include "test_files.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace testfiles {

ScratchFolder::ScratchFolder()
{
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("tarvell-report-test-" + std::to_string(getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string Read(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void Write(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
}

std::filesystem::path RealLogs()
{
    const char* folder = std::getenv("TARVELL_REPORT_LOGS");
    return folder ? std::filesystem::path(folder) : std::filesystem::path();
}

std::filesystem::path ReportProgram()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tarvell-report";
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Run RunCommand(const std::string& command, const ScratchFolder& folder, int timeoutSeconds)
{
    std::filesystem::path out = folder / "run.out";
    std::filesystem::path err = folder / "run.err";
    std::string line = "timeout -k 5 " + std::to_string(timeoutSeconds) + " " + command +
                       " </dev/null >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
    int status = std::system(line.c_str());
    Run run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Read(out);
    run.err = Read(err);
    return run;
}

} // namespace testfiles
