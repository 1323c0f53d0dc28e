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
#include "staged_outputs.h"
#include "text_encoding.h"
#include "resources/version.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kFailed = 2;

bool IsTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

int Failed(const std::string& message)
{
    std::fprintf(stderr, "tarvell-report: %s\n", message.c_str());
    return kFailed;
}

// An output that would overwrite an input, or both outputs one file: said before anything is
// written, so that no run can replace a log or the reference by its own report.
std::string OutputClash(const ReportOptions& options)
{
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!options.csv.empty())
        outputs.emplace_back("--csv", options.csv);
    if (!options.html.empty())
        outputs.emplace_back("--html", options.html);
    std::vector<std::pair<std::string, std::string>> inputs;
    if (!options.reference.empty())
        inputs.emplace_back("the reference", options.reference);
    for (const std::string& log : options.logs)
        inputs.emplace_back("the log", log);
    for (const auto& [option, output] : outputs)
        for (const auto& [what, input] : inputs)
            if (SameFile(output, input))
                return option + " " + AsUtf8(output) + " is the same file as " + what + " " +
                       AsUtf8(input) + "; nothing was written";
    if (outputs.size() == 2 && SameFile(outputs[0].second, outputs[1].second))
        return "--csv " + AsUtf8(outputs[0].second) + " and --html " + AsUtf8(outputs[1].second) +
               " are the same file; nothing was written";
    return "";
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
    std::string clash = OutputClash(options);
    if (!clash.empty())
        return Failed(clash);
    for (const std::string& note : options.labelNotes)
        std::fprintf(stderr, "tarvell-report: note: %s\n", note.c_str());
    ReferenceText reference;
    if (!options.reference.empty() && !ReadReference(options.reference, reference, message))
        return Failed(message);
    const ReferenceText* measuredAgainst = options.reference.empty() ? nullptr : &reference;

    std::vector<LogReport> reports(options.logs.size());
    for (size_t i = 0; i < options.logs.size(); ++i) {
        if (!BuildLogReport(options.logs[i], options.labels[i], measuredAgainst,
                            options.referenceEachSegment, options.details, reports[i], message))
            return Failed(message);
        std::string shown = AsUtf8(options.logs[i]);
        for (const LogProblem& warning : reports[i].content.warnings)
            std::fprintf(stderr, "tarvell-report: %s:%zu: warning: %s\n", shown.c_str(),
                         warning.line, warning.text.c_str());
        if (reports[i].accuracy) {
            std::string choice = AlignmentWarning(*reports[i].accuracy);
            if (!choice.empty())
                std::fprintf(stderr, "tarvell-report: %s: warning: %s\n", shown.c_str(),
                             choice.c_str());
        }
    }

    std::string referenceShown = AsUtf8(options.reference);
    // A table of a row per segment reaches a file or a pipe in few writes; a terminal keeps
    // its own buffering, which writes whole lines.
    if (!IsTerminal(stdout))
        std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    std::printf("tarvell-report %s\n\n", TARVELL_VERSION_TEXT);
    WritePlainReport(reports, referenceShown, options.details, [](std::string_view part) {
        std::fwrite(part.data(), 1, part.size(), stdout);
    });
    std::vector<OutputFile> outputs;
    if (!options.csv.empty())
        outputs.push_back({options.csv, CsvReport(reports)});
    if (!options.html.empty())
        outputs.push_back({options.html, HtmlReport(reports, referenceShown)});
    if (!WriteAllOrNothing(outputs, message))
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
