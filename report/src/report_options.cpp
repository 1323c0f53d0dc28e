#include "report_options.h"

#include "log_labels.h"

const char kUsage[] =
    "usage: tarvell-report [--reference FILE] [--label NAME]... [--csv FILE] [--html FILE]\n"
    "                      [--reference-each-segment] [--details] LOG...\n"
    "       tarvell-report --version\n"
    "\n"
    "Reads session logs saved by Tarvell and reports, per log and per segment (Reset All\n"
    "starts one): utterances, words, real-time factor spread, confidence scores; with\n"
    "--reference, the word error rate and how far the confidence scores can be trusted.\n"
    "  --reference FILE  the text spoken (UTF-8, Latin-1, or UTF-16 with its byte-order\n"
    "                    mark): one line per utterance, or one text for the whole log;\n"
    "                    every log given is measured against it\n"
    "  --reference-each-segment  the reference was read once in each segment: every\n"
    "                    segment is measured against the whole of it\n"
    "  --label NAME      a log's name in the tables, in the order of the logs (default: the\n"
    "                    file name)\n"
    "  --csv FILE        the figures as CSV, one row per log and per segment\n"
    "  --html FILE       one self-contained page with the tables and charts\n"
    "  --details         every utterance, and every aligned word pair with --reference\n"
    "Exit code: 0 done, 2 a log or file that cannot be read or does not fit.\n";

bool ParseOptions(const std::vector<std::string>& arguments, ReportOptions& options,
                  std::string& message)
{
    bool optionsEnd = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
            options.logs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnd = true;
            continue;
        }
        std::string value;
        bool attached = false;
        size_t equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
            attached = true;
        }
        if (argument == "--details" || argument == "--version" || argument == "--help" ||
            argument == "-h" || argument == "--reference-each-segment") {
            if (attached) {
                message = argument + " takes no value";
                return false;
            }
            bool& flag = argument == "--details"                    ? options.details
                         : argument == "--version"                  ? options.version
                         : argument == "--help" || argument == "-h" ? options.help
                                                                    : options.referenceEachSegment;
            flag = true;
            continue;
        }
        if (argument != "--reference" && argument != "--label" && argument != "--csv" &&
            argument != "--html") {
            message = "unknown option " + argument;
            return false;
        }
        if (!attached) {
            if (i + 1 >= arguments.size()) {
                message = argument + " needs a value";
                return false;
            }
            value = arguments[++i];
        }
        if (argument == "--label") {
            options.labels.push_back(value);
            continue;
        }
        std::string& target = argument == "--reference" ? options.reference
                              : argument == "--csv"     ? options.csv
                                                        : options.html;
        if (!target.empty()) {
            message = argument + " given twice";
            return false;
        }
        if (value.empty()) {
            message = argument + " needs a file name";
            return false;
        }
        target = value;
    }
    if (options.version || options.help)
        return true;
    if (options.logs.empty()) {
        message = "no log given";
        return false;
    }
    if (options.labels.size() > options.logs.size()) {
        message = "more labels (" + std::to_string(options.labels.size()) + ") than logs (" +
                  std::to_string(options.logs.size()) + ")";
        return false;
    }
    if (options.referenceEachSegment && options.reference.empty()) {
        message = "--reference-each-segment needs --reference";
        return false;
    }
    LogLabels labels = LabelsOf(options.logs, options.labels);
    options.labels = labels.labels;
    options.labelNotes = labels.notes;
    return true;
}
