#include "cli/options.h"
#include "results/files.h"

#include <cerrno>
#include <cmath>
#include <cwchar>

namespace
{

constexpr long kMostSamples = 1000000;
constexpr double kMostSeconds = 7 * 24 * 3600;

bool ParseNumber(const std::wstring& text, double& value)
{
    if (text.empty() || text.find_first_not_of(L"0123456789.") != std::wstring::npos) {
        return false;
    }
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstod(text.c_str(), &end);
    return errno == 0 && *end == L'\0' && std::isfinite(value);
}

bool ParseSamples(const std::wstring& text, long& samples, std::string& error)
{
    double value = 0;
    if (!ParseNumber(text, value) || value != std::floor(value) || value < 1 ||
        value > kMostSamples) {
        error = "--samples takes a whole number from 1 to " + std::to_string(kMostSamples) +
                ", not \"" + Utf8(text) + "\"";
        return false;
    }
    samples = static_cast<long>(value);
    return true;
}

bool ParseSeconds(const std::wstring& text, const char* option, double& seconds, std::string& error)
{
    if (!ParseNumber(text, seconds) || seconds <= 0 || seconds > kMostSeconds) {
        error = std::string(option) + " takes a number of seconds above 0 and at most " +
                std::to_string(static_cast<long>(kMostSeconds)) + ", not \"" + Utf8(text) + "\"";
        return false;
    }
    return true;
}

// Sampling and comparing are separate uses; mixing their options is a mistake worth naming.
bool CheckCombination(const Options& options, std::string& error)
{
    const bool sampling =
        options.samples || options.seconds > 0 || !options.csv.empty() || !options.trace.empty();
    if (!options.compare.empty() && (sampling || options.append)) {
        error = "--compare reads files: it takes no --samples, --seconds, --csv, --trace or "
                "--append";
    } else if (options.append && options.csv.empty() && options.json.empty()) {
        error = "--append adds a run to the file given with --csv or --json";
    } else if (options.json == L"-" && options.compare.empty()) {
        error = "a record goes to a file: --json - writes only a comparison";
    }
    return error.empty();
}

} // namespace

const char kUsage[] =
    "usage: zolvik-report [--samples N | --seconds S] [--csv FILE] [--json FILE] [--append]\n"
    "                     [--plot FILE.svg] [--trace FILE] [--patience S]\n"
    "       zolvik-report --compare A B [--json FILE|-] [--plot FILE.svg]\n"
    "       zolvik-report --check | --help | --version\n"
    "\n"
    "Records single-pass durations from the running Zolvik window: it follows the mean the\n"
    "window shows pass by pass, recovers each pass from two means, and clicks \"Reset\n"
    "statistics\" every eight passes. A pass it cannot be sure of is dropped and counted.\n"
    "While the readout cannot be seen (minimized, off the screen) the run pauses; it ends,\n"
    "keeping its rows, after --patience seconds (default 300) unseen or unanswered.\n"
    "--trace writes every look, probe and reset with what it saw and decided.\n"
    "--check says whether a run would work on this desktop, and what to do if not.\n"
    "Default: 24 samples. --csv writes one row a sample (run,index,seconds,duration_ms) as it\n"
    "goes; --json writes a record of the run with the program's version and the machine\n"
    "(adapter, driver, screen mode, OS, CPU, memory). Neither overwrites a file: --append\n"
    "adds the next run to it. --plot draws the run, or the comparison, as an SVG picture.\n"
    "--compare takes every run of A and of B (CSV files or records) and prints the ratio\n"
    "B/A of their medians with its 95 % interval and a verdict: slower, faster, same or\n"
    "inconclusive. A verdict needs at least two runs a side, because runs of one build\n"
    "differ from one another.\n"
    "\n"
    "Exit codes: 0 done, 1 bad arguments, 2 no Zolvik window (or more than one), 3 the\n"
    "window closed or did not answer for --patience seconds, 4 the readout cannot be\n"
    "decoded or seen (--check: a run would not work), 5 a missing or malformed CSV, 6 a\n"
    "file cannot be written, 7 the file exists (use --append or another name).\n";

bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == L"--help") {
            options.help = true;
        } else if (arg == L"--version") {
            options.version = true;
        } else if (arg == L"--check") {
            options.check = true;
        } else if (arg == L"--append") {
            options.append = true;
        } else if (arg == L"--samples" && hasValue) {
            if (!ParseSamples(arguments[++i], options.samples, error)) {
                return false;
            }
        } else if (arg == L"--seconds" && hasValue) {
            if (!ParseSeconds(arguments[++i], "--seconds", options.seconds, error)) {
                return false;
            }
        } else if (arg == L"--patience" && hasValue) {
            if (!ParseSeconds(arguments[++i], "--patience", options.patience, error)) {
                return false;
            }
        } else if (arg == L"--csv" && hasValue) {
            options.csv = arguments[++i];
        } else if (arg == L"--json" && hasValue) {
            options.json = arguments[++i];
        } else if (arg == L"--plot" && hasValue) {
            options.plot = arguments[++i];
        } else if (arg == L"--trace" && hasValue) {
            options.trace = arguments[++i];
        } else if (arg == L"--compare" && i + 2 < arguments.size()) {
            options.compare = {arguments[i + 1], arguments[i + 2]};
            i += 2;
        } else {
            const bool takesValue = arg == L"--samples" || arg == L"--seconds" || arg == L"--csv" ||
                                    arg == L"--json" || arg == L"--plot" || arg == L"--compare" ||
                                    arg == L"--trace" || arg == L"--patience";
            error = takesValue
                        ? Utf8(arg) + (arg == L"--compare" ? " needs two files" : " needs a value")
                        : "unknown argument \"" + Utf8(arg) + "\"";
            return false;
        }
    }
    if (options.help || options.version) {
        return true;
    }
    if (options.check && (!options.compare.empty() || options.samples || options.seconds > 0 ||
                          !options.csv.empty() || !options.json.empty())) {
        error = "--check only looks: it takes no other options";
        return false;
    }
    if (!CheckCombination(options, error)) {
        return false;
    }
    if (options.compare.empty() && options.samples == 0 && options.seconds == 0) {
        options.samples = 24;
    }
    return true;
}
