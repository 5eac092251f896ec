#include "cli/options.h"
#include "results/files.h"
#include "stats/precision.h"

#include <algorithm>
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

// A note is one line of printable text, short enough for a report's list of sides.
bool ParseNote(const std::wstring& text, std::string& note, std::string& error)
{
    const bool printable = std::all_of(text.begin(), text.end(), [](wchar_t c) {
        return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0);
    });
    if (text.empty() || text.size() > kMostNoteCharacters || !printable) {
        error = "--note takes one line of text, 1 to " + std::to_string(kMostNoteCharacters) +
                " characters";
        return false;
    }
    note = Utf8(text);
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

// Which modes take an option, as bits.
enum : unsigned {
    kRecord = 1 << 0,
    kCompare = 1 << 1,
    kSweep = 1 << 2,
    kCheck = 1 << 3,
    kPlan = 1 << 4,
    kAnyMode = 0xff,
};

// One option: its name, the modes that take it, and how its value is read (none for a flag).
struct OptionRule {
    const wchar_t* name;
    unsigned modes;
    int values; // words after it: 0, 1, 2 (--plan P FILE), or -1 (--compare's files)
    bool (*take)(const std::vector<std::wstring>& words, std::size_t at, Options& options,
                 std::string& error);
};

bool TakePath(std::wstring& into, const std::wstring& word)
{
    into = word;
    return true;
}

const OptionRule kOptions[] = {
    {L"--help", kAnyMode, 0, nullptr},
    {L"--version", kAnyMode, 0, nullptr},
    {L"--check", kCheck, 0, nullptr},
    {L"--sweep", kSweep, 0, nullptr},
    {L"--append", kRecord, 0,
     [](const auto&, std::size_t, Options& o, std::string&) { return o.append = true; }},
    {L"--samples", kRecord | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParseSamples(w[at], o.samples, e);
     }},
    {L"--seconds", kRecord, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParseSeconds(w[at], "--seconds", o.seconds, e);
     }},
    {L"--patience", kRecord | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParseSeconds(w[at], "--patience", o.patience, e);
     }},
    {L"--csv", kRecord, 1,
     [](const auto& w, std::size_t at, Options& o, std::string&) {
         return TakePath(o.csv, w[at]);
     }},
    {L"--json", kRecord | kCompare | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string&) {
         return TakePath(o.json, w[at]);
     }},
    {L"--plot", kRecord | kCompare | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string&) {
         return TakePath(o.plot, w[at]);
     }},
    {L"--trace", kRecord | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string&) {
         return TakePath(o.trace, w[at]);
     }},
    {L"--markdown", kCompare, 1,
     [](const auto& w, std::size_t at, Options& o, std::string&) {
         return TakePath(o.markdown, w[at]);
     }},
    {L"--runs", kRecord | kSweep, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParseRuns(w[at], o.runs, e);
     }},
    {L"--pause", kRecord, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParsePause(w[at], o.pause, e);
     }},
    {L"--precision", kRecord, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParsePercent(w[at], "--precision", o.precision, e);
     }},
    {L"--note", kRecord, 1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         return ParseNote(w[at], o.note, e);
     }},
    {L"--plan", kPlan, 2,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         o.planFile = w[at + 1];
         return ParsePercent(w[at], "--plan", o.plan, e);
     }},
    {L"--compare", kCompare, -1,
     [](const auto& w, std::size_t at, Options& o, std::string& e) {
         o.compare.clear();
         for (std::size_t i = at; i < w.size() && w[i].rfind(L"--", 0) != 0; ++i) {
             o.compare.push_back(w[i]);
         }
         if (o.compare.size() < 2 || o.compare.size() > kMostSides) {
             e = "--compare needs two files or more (at most " + std::to_string(kMostSides) +
                 "): the base first, then each side to compare with it";
             return false;
         }
         return true;
     }},
};

const OptionRule* FindOption(const std::wstring& name)
{
    for (const OptionRule& rule : kOptions) {
        if (name == rule.name) {
            return &rule;
        }
    }
    return nullptr;
}

// What a mode is, as a refusal names it.
const char* ModeRule(unsigned mode)
{
    switch (mode) {
    case kCompare:
        return "--compare reads files";
    case kSweep:
        return "--sweep takes only --samples (passes a visit), --runs (rounds of visits), "
               "--json, --plot, --trace and --patience";
    case kCheck:
        return "--check only looks: it takes no other options";
    case kPlan:
        return "--plan P FILE reads one record: it takes no other options";
    default:
        return "a recording";
    }
}

std::string Refusal(const std::wstring& option, unsigned mode)
{
    const std::string name = Utf8(option);
    if (option == L"--markdown" && mode == kRecord) {
        return "--markdown writes the report of a comparison: give it with --compare";
    }
    if (option == L"--precision" && mode != kRecord) {
        return "--precision records runs: " + std::string(ModeRule(mode)) + ", not --precision";
    }
    if (mode == kCheck || mode == kPlan) {
        return std::string(ModeRule(mode)) + " (not " + name + ")";
    }
    return std::string(ModeRule(mode)) + ": it takes no " + name;
}

// A sweep visits every area `runs` times, `samples` passes a visit, into a record of its own.
bool CheckSweep(Options& options, bool runsGiven, std::string& error)
{
    if (runsGiven && options.runs < 2) {
        error = "--sweep visits every area at least twice: --runs 2 or more";
        return false;
    }
    if (options.json == L"-") {
        error = "a sweep record goes to a file: --json - writes only a comparison";
        return false;
    }
    options.runs = runsGiven ? options.runs : kSweepRounds;
    options.samples = options.samples > 0 ? options.samples : kSweepPassesPerVisit;
    return true;
}

// What a recording's options must make sense together.
bool CheckRecording(Options& options, bool pauseGiven, bool runsGiven, std::string& error)
{
    if (options.samples > 0 && options.seconds > 0) {
        error = "a run lasts --samples N passes or --seconds S, not both";
    } else if (options.precision > 0 && !CheckPrecision(options, runsGiven, error)) {
        return false;
    } else if (options.runs > 1 && options.csv.empty() && options.json.empty()) {
        error = "--runs records its runs into one file: give --csv FILE or --json FILE";
    } else if (options.runs > 1 && !options.plot.empty()) {
        error = "--plot draws a single run; draw runs recorded with --runs afterwards with "
                "--compare";
    } else if (pauseGiven && options.runs < 2) {
        error = "--pause spaces the runs of --runs N";
    } else if (options.append && options.csv.empty() && options.json.empty()) {
        error = "--append adds a run to the file given with --csv or --json";
    } else if (options.json == L"-") {
        error = "a record goes to a file: --json - writes only a comparison";
    } else if (!options.note.empty() && options.json.empty()) {
        error = "--note is kept in a record: give --json FILE";
    }
    if (error.empty() && options.samples == 0 && options.seconds == 0) {
        options.samples = 24;
    }
    return error.empty();
}

} // namespace

// Every word is read against the table first (unknown options, missing and bad values); the
// mode follows from the options given; then every option given must be one the mode takes.
bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error)
{
    std::vector<const OptionRule*> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const OptionRule* rule = FindOption(arguments[i]);
        if (!rule) {
            error = "unknown argument \"" + Utf8(arguments[i]) + "\"";
            return false;
        }
        const std::size_t values = rule->values < 0 ? 0 : static_cast<std::size_t>(rule->values);
        if (i + values >= arguments.size() + (values == 0 ? 1 : 0)) {
            error = rule->values == 2 ? "--plan needs a per cent and a file"
                                      : Utf8(arguments[i]) + " needs a value";
            return false;
        }
        if (rule->take && !rule->take(arguments, i + 1, options, error)) {
            return false;
        }
        i += rule->values < 0 ? options.compare.size() : values;
        given.push_back(rule);
    }
    const auto has = [&](const wchar_t* name) {
        return std::find(given.begin(), given.end(), FindOption(name)) != given.end();
    };
    if (has(L"--help") || has(L"--version")) {
        options.mode = has(L"--help") ? Mode::Help : Mode::Version;
        return true;
    }
    const unsigned mode = has(L"--plan")      ? kPlan
                          : has(L"--sweep")   ? kSweep
                          : has(L"--check")   ? kCheck
                          : has(L"--compare") ? kCompare
                                              : kRecord;
    for (const OptionRule* rule : given) {
        if (!(rule->modes & mode)) {
            error = Refusal(rule->name, mode);
            return false;
        }
    }
    switch (mode) {
    case kPlan:
        options.mode = Mode::Plan;
        return true;
    case kSweep:
        options.mode = Mode::Sweep;
        return CheckSweep(options, has(L"--runs"), error);
    case kCheck:
        options.mode = Mode::Check;
        return true;
    case kCompare:
        options.mode = Mode::Compare;
        if (options.markdown == L"-" && options.json == L"-") {
            error = "only one of --json and --markdown can go to standard output (-)";
        }
        return error.empty();
    default:
        options.mode = Mode::Record;
        return CheckRecording(options, has(L"--pause"), has(L"--runs"), error);
    }
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
