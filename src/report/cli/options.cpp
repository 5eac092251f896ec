#include "cli/options.h"
#include "results/files.h"
#include "stats/precision.h"

#include <cerrno>
#include <cmath>
#include <cwchar>

namespace
{

constexpr long kMostSamples = 1000000;
constexpr double kMostSeconds = 7 * 24 * 3600;
constexpr long kMostRuns = 1000;
constexpr std::size_t kMostSides = 26; // named A to Z
constexpr long kSweepRounds = 3;
constexpr long kSweepPassesPerVisit = 8;

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

bool ParseRuns(const std::wstring& text, long& runs, std::string& error)
{
    double value = 0;
    if (!ParseNumber(text, value) || value != std::floor(value) || value < 1 || value > kMostRuns) {
        error = "--runs takes a whole number from 1 to " + std::to_string(kMostRuns) + ", not \"" +
                Utf8(text) + "\"";
        return false;
    }
    runs = static_cast<long>(value);
    return true;
}

// A pause of 0 is a choice (runs back to back), unlike a run of 0 seconds.
bool ParsePause(const std::wstring& text, double& pause, std::string& error)
{
    if (!ParseNumber(text, pause) || pause < 0 || pause > kMostSeconds) {
        error = "--pause takes a number of seconds from 0 to " +
                std::to_string(static_cast<long>(kMostSeconds)) + ", not \"" + Utf8(text) + "\"";
        return false;
    }
    return true;
}

// A precision in per cent: above 0, at most 100 (twice or half).
bool ParsePercent(const std::wstring& text, const char* option, double& percent, std::string& error)
{
    if (!ParseNumber(text, percent) || percent <= 0 || percent > 100) {
        error = std::string(option) + " takes a per cent above 0 and at most 100, not \"" +
                Utf8(text) + "\"";
        return false;
    }
    return true;
}

// --precision P takes its runs from the pilot's spread: --runs is then the most, at least the
// pilot's, and the runs must be long enough for intervals of their own.
bool CheckPrecision(Options& options, bool runsGiven, std::string& error)
{
    if (runsGiven && options.runs < static_cast<long>(kPilotRuns)) {
        error = "--precision takes at least " + std::to_string(kPilotRuns) +
                " runs, to measure how far runs differ: --runs is the most, " +
                std::to_string(kPilotRuns) + " or more";
        return false;
    }
    if (options.samples > 0 && options.samples < 21) {
        error = "--precision needs runs of 21 passes or more, each with an interval of its own";
        return false;
    }
    if (options.csv.empty() && options.json.empty()) {
        error = "--precision records its runs into one file: give --csv FILE or --json FILE";
        return false;
    }
    options.runs = runsGiven ? options.runs : kPrecisionRuns;
    return true;
}

// The files after --compare, up to the next option.
bool ParseCompare(const std::vector<std::wstring>& arguments, std::size_t& i, Options& options,
                  std::string& error)
{
    options.compare.clear();
    while (i + 1 < arguments.size() && arguments[i + 1].rfind(L"--", 0) != 0) {
        options.compare.push_back(arguments[++i]);
    }
    if (options.compare.size() < 2 || options.compare.size() > kMostSides) {
        error = "--compare needs two files or more (at most " + std::to_string(kMostSides) +
                "): the base first, then each side to compare with it";
        return false;
    }
    return true;
}

// A sweep visits every area `runs` times, `samples` passes a visit, into a record of its own.
bool CheckSweep(Options& options, bool pauseGiven, bool runsGiven, bool check, std::string& error)
{
    if (!options.compare.empty() || check || !options.csv.empty() || options.append ||
        options.seconds > 0 || pauseGiven || !options.markdown.empty()) {
        error = "--sweep takes only --samples (passes a visit), --runs (rounds of visits), "
                "--json, --plot, --trace and --patience";
        return false;
    }
    if (runsGiven && options.runs < 2) {
        error = "--sweep visits every area at least twice: --runs 2 or more";
        return false;
    }
    options.runs = runsGiven ? options.runs : kSweepRounds;
    options.samples = options.samples > 0 ? options.samples : kSweepPassesPerVisit;
    return true;
}

// Sampling and comparing are separate uses; mixing their options is a mistake worth naming.
bool CheckCombination(const Options& options, bool pauseGiven, std::string& error)
{
    const bool sampling = options.samples || options.seconds > 0 || !options.csv.empty() ||
                          !options.trace.empty() || options.runs > 1 || pauseGiven;
    if (!options.compare.empty() && (sampling || options.append)) {
        error = "--compare reads files: it takes no --samples, --seconds, --csv, --trace, "
                "--runs, --pause or --append";
    } else if (!options.markdown.empty() && options.compare.empty()) {
        error = "--markdown writes the report of a comparison: give it with --compare";
    } else if (options.markdown == L"-" && options.json == L"-") {
        error = "only one of --json and --markdown can go to standard output (-)";
    } else if (options.runs > 1 && options.csv.empty() && options.json.empty()) {
        error = "--runs records its runs into one file: give --csv FILE or --json FILE";
    } else if (options.runs > 1 && !options.plot.empty()) {
        error = "--plot draws a single run; draw runs recorded with --runs afterwards with "
                "--compare";
    } else if (pauseGiven && options.runs < 2) {
        error = "--pause spaces the runs of --runs N";
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
    "                     [--runs N [--pause S]] [--plot FILE.svg] [--trace FILE]\n"
    "                     [--patience S]\n"
    "       zolvik-report --compare BASE B [C ...] [--json FILE|-] [--plot FILE.svg]\n"
    "                     [--markdown FILE|-]\n"
    "       zolvik-report --precision P [--samples N | --seconds S] (--json FILE | --csv FILE)\n"
    "                     [--runs MOST] [--pause S] [--append] [--trace FILE] [--patience S]\n"
    "       zolvik-report --plan P FILE\n"
    "       zolvik-report --sweep [--samples N] [--runs N] [--json FILE] [--plot FILE.svg]\n"
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
    "(adapter, driver, screen mode, power, OS, CPU, memory). Neither overwrites a file:\n"
    "--append adds the next run to it. --runs N records N runs into that file, --pause S\n"
    "seconds apart (default 60). --plot draws the run, or the comparison, as an SVG picture.\n"
    "--compare takes every run of BASE and of each other side (CSV files or records) and\n"
    "prints one table: each side's median, its ratio to BASE with a 95 % interval and a\n"
    "verdict: slower, faster, same or inconclusive. Unless both sides have two runs or more,\n"
    "the interval also allows for runs of one build differing by up to 25 %; with two or\n"
    "more a side (three are better) that spread is measured instead. A run under 21 passes\n"
    "counts as if its median were off by half that allowance, so short runs never narrow an\n"
    "interval. --markdown writes a report for a bug tracker.\n"
    "Each run also times the same grid drawn in memory (the control, kept in records), a\n"
    "control pass right after each pass where Zolvik idles between passes: where it shows\n"
    "the machine unchanged between records raw times decide; where the machine changed,\n"
    "raw times and on screen / in memory must agree, the latter beyond +-10 %, so that the\n"
    "machine is not taken for the driver. Every comparison says the smallest difference\n"
    "its runs would call each way, and what limits it.\n"
    "--precision P records runs until two sides so recorded resolve +-P %: 3 runs first,\n"
    "whose spread alone then fixes how many runs the side takes, at most --runs (default\n"
    "10). Every recording ends with a plan: how many runs of how many passes two sides\n"
    "need for +-5 % (or +-P %), and how long; --plan P FILE prints it from a record.\n"
    "--sweep ticks \"Allow window resizing\", sizes the window to a set of drawing areas\n"
    "(small and large, wide and tall, vertical lines only), takes --samples passes (default\n"
    "8) at each, in --runs rounds (default 3) that spread drift over the areas, and fits\n"
    "fixed + per line call + per pixel on screen and in memory; the window is put back as\n"
    "it was, also on Ctrl+C. --compare of two sweep records compares their costs.\n"
    "\n"
    "Exit codes: 0 done, 1 bad arguments, 2 no Zolvik window (or more than one), 3 the\n"
    "window closed or did not answer for --patience seconds, 4 the readout cannot be\n"
    "decoded or seen (--check: a run would not work), 5 a results file missing, malformed\n"
    "or of the wrong kind, 6 a file cannot be written, 7 the file exists (use --append or\n"
    "another name), 8 stopped by Ctrl+C (a recording keeps its run, marked interrupted).\n";

bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error)
{
    bool pauseGiven = false;
    bool runsGiven = false;
    bool help = false;
    bool version = false;
    bool sweep = false;
    bool check = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == L"--help") {
            help = true;
        } else if (arg == L"--version") {
            version = true;
        } else if (arg == L"--sweep") {
            sweep = true;
        } else if (arg == L"--check") {
            check = true;
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
        } else if (arg == L"--markdown" && hasValue) {
            options.markdown = arguments[++i];
        } else if (arg == L"--runs" && hasValue) {
            runsGiven = true;
            if (!ParseRuns(arguments[++i], options.runs, error)) {
                return false;
            }
        } else if (arg == L"--pause" && hasValue) {
            pauseGiven = true;
            if (!ParsePause(arguments[++i], options.pause, error)) {
                return false;
            }
        } else if (arg == L"--precision" && hasValue) {
            if (!ParsePercent(arguments[++i], "--precision", options.precision, error)) {
                return false;
            }
        } else if (arg == L"--plan" && i + 2 < arguments.size()) {
            if (!ParsePercent(arguments[++i], "--plan", options.plan, error)) {
                return false;
            }
            options.planFile = arguments[++i];
        } else if (arg == L"--compare") {
            if (!ParseCompare(arguments, i, options, error)) {
                return false;
            }
        } else {
            const bool takesValue = arg == L"--samples" || arg == L"--seconds" || arg == L"--csv" ||
                                    arg == L"--json" || arg == L"--plot" || arg == L"--trace" ||
                                    arg == L"--patience" || arg == L"--markdown" ||
                                    arg == L"--runs" || arg == L"--pause" ||
                                    arg == L"--precision" || arg == L"--plan";
            error = arg == L"--plan" ? std::string("--plan needs a per cent and a file")
                    : takesValue     ? Utf8(arg) + " needs a value"
                                     : "unknown argument \"" + Utf8(arg) + "\"";
            return false;
        }
    }
    if (help || version) {
        options.mode = help ? Mode::Help : Mode::Version;
        return true;
    }
    if (options.plan > 0) {
        options.mode = Mode::Plan;
        if (arguments.size() != 3) {
            error = "--plan P FILE takes no other options";
            return false;
        }
        return true;
    }
    if (sweep) {
        options.mode = Mode::Sweep;
        if (options.precision > 0) {
            error = "--precision records runs, not a sweep";
            return false;
        }
        return CheckSweep(options, pauseGiven, runsGiven, check, error);
    }
    if (check) {
        options.mode = Mode::Check;
        if (!options.compare.empty() || options.samples || options.seconds > 0 ||
            !options.csv.empty() || !options.json.empty() || options.runs > 1 ||
            !options.markdown.empty() || options.precision > 0) {
            error = "--check only looks: it takes no other options";
            return false;
        }
    }
    options.mode = check ? Mode::Check : options.compare.empty() ? Mode::Record : Mode::Compare;
    if (options.precision > 0 && options.mode == Mode::Compare) {
        error = "--precision records runs: --compare reads files";
        return false;
    }
    if (options.precision > 0 && !CheckPrecision(options, runsGiven, error)) {
        return false;
    }
    if (!CheckCombination(options, pauseGiven, error)) {
        return false;
    }
    if (options.compare.empty() && options.samples == 0 && options.seconds == 0) {
        options.samples = 24;
    }
    return true;
}

std::string CommandLine(const std::vector<std::wstring>& arguments)
{
    std::string line = "zolvik-report";
    for (const std::wstring& argument : arguments) {
        const std::string text = Utf8(argument);
        line += text.find_first_of(" \t") == std::string::npos ? " " + text : " \"" + text + "\"";
    }
    return line;
}
