// tarvell-report: turns saved session logs into figures, accuracy and charts.
#include <cstdio>
#include <string>
#include <vector>

#include "csv_report.h"
#include "file_access.h"
#include "html_report.h"
#include "log_report.h"
#include "plain_report.h"
#include "report_options.h"
#include "resources/version.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr int kFailed = 2;

int Failed(const std::string& message)
{
    std::fprintf(stderr, "tarvell-report: %s\n", message.c_str());
    return kFailed;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& message)
{
    std::FILE* file = OpenForWriting(path);
    if (!file) {
        message = path + ": cannot be written";
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
    if (!written)
        message = path + ": cannot be written completely";
    return written;
}

int Run(const std::vector<std::string>& arguments)
{
    ReportOptions options;
    std::string message;
    if (!ParseOptions(arguments, options, message)) {
        std::fprintf(stderr, "tarvell-report: %s\n%s", message.c_str(), kUsage);
        return kFailed;
    }
    if (options.version) {
        std::printf("tarvell-report %s\n", TARVELL_VERSION_TEXT);
        return 0;
    }
    if (options.help) {
        std::printf("%s", kUsage);
        return 0;
    }
    ReferenceText reference;
    if (!options.reference.empty() && !ReadReference(options.reference, reference, message))
        return Failed(message);
    const ReferenceText* measuredAgainst = options.reference.empty() ? nullptr : &reference;

    std::vector<LogReport> reports(options.logs.size());
    for (size_t i = 0; i < options.logs.size(); ++i) {
        if (!BuildLogReport(options.logs[i], options.labels[i], measuredAgainst, options.details,
                            reports[i], message))
            return Failed(message);
        for (const LogProblem& warning : reports[i].content.warnings)
            std::fprintf(stderr, "tarvell-report: %s:%zu: warning: %s\n", options.logs[i].c_str(),
                         warning.line, warning.text.c_str());
    }

    std::printf("tarvell-report %s\n\n%s", TARVELL_VERSION_TEXT,
                PlainReport(reports, options.reference, options.details).c_str());
    if (!options.csv.empty() && !WriteFile(options.csv, CsvReport(reports), message))
        return Failed(message);
    if (!options.html.empty() &&
        !WriteFile(options.html, HtmlReport(reports, options.reference), message))
        return Failed(message);
    return std::fflush(stdout) == 0 ? 0 : Failed("the report could not be written out");
}

} // namespace

#ifdef _WIN32
// Arguments as UTF-8, whatever the console's code page, so any file name can be opened.
int wmain(int argc, wchar_t** argv)
{
    // The console's code page outlives the program: put back the one it had.
    UINT codePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, argument.data(), length, nullptr, nullptr);
        arguments.push_back(argument);
    }
    int code = Run(arguments);
    std::fflush(stdout);
    SetConsoleOutputCP(codePage);
    return code;
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
