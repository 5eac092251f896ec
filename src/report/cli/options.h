// The command line: what a person asked zolvik-report to do.
#pragma once

#include <string>
#include <vector>

struct Options {
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
    // --sweep: passes at a set of drawing areas, `samples` a visit and `runs` rounds of visits.
    bool sweep = false;
    bool check = false;
    bool help = false;
    bool version = false;
};

extern const char kUsage[];
// False with a message for anything it cannot take as it stands.
bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error);
// The command as a person would type it again: arguments with spaces are quoted.
std::string CommandLine(const std::vector<std::wstring>& arguments);
