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
    std::vector<std::wstring> compare;
    bool check = false;
    bool help = false;
    bool version = false;
};

extern const char kUsage[];
// False with a message for anything it cannot take as it stands.
bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error);
