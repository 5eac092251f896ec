// The command line: what a person asked zolvik-report to do.
#pragma once

#include <string>
#include <vector>

// What zolvik-report was asked to do: one of these, decided by the options alone.
enum class Mode { Record, Compare, Sweep, Check, Plan, Help, Version };

struct Options {
    Mode mode = Mode::Record;
    long samples = 0;
    double seconds = 0;
    std::wstring csv;
    bool append = false;
    std::wstring json;
    std::wstring plot;
    std::wstring trace;
    double patience = 300; // seconds a run waits for a readout it cannot see, or an answer
    long runs = 1;         // runs recorded one after another into one file
    double pause = 60;     // seconds between those runs
    std::vector<std::wstring> compare; // BASE, then the sides compared with it
    std::wstring markdown;
    // --precision P: record until two sides so recorded resolve +-P %, at most `runs` runs.
    double precision = 0;
    // --note TEXT: what the side is, in the recorder's words ("driver 23.4, vsync off"), kept
    // with each run of the record and shown beside the side's letter in comparisons.
    std::string note;
    // --plan P FILE: the plan for +-P % from a recorded side.
    double plan = 0;
    std::wstring planFile;
    // A sweep: `samples` passes a visit and `runs` rounds of visits to a set of drawing areas.
};

constexpr std::size_t kMostNoteCharacters = 200;

extern const char kUsage[];
// False with a message for anything it cannot take as it stands.
bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error);
// The command as a person would type it again: arguments with spaces are quoted.
std::string CommandLine(const std::vector<std::wstring>& arguments);
