// The verdict on B against A: the ratio of their medians with a 95 % interval, runs being the
// units, and a sentence that claims no more than the runs hold.
#pragma once

#include "results/results.h"

#include <string>
#include <vector>

struct Comparison {
    std::string verdict; // "slower", "faster", "same" or "inconclusive"
    std::string sentence;
    double ratio = 0;
    double low = 0;
    double high = 0;
    double freedom = 0;
    bool betweenRuns = false; // the interval includes the spread between runs
    std::vector<std::string> warnings;
};

Comparison CompareRuns(const std::vector<Run>& a, const std::vector<Run>& b);

// Runs that drew different areas, or whose area changed, measured different work.
std::vector<std::string> AreaWarnings(const std::vector<Run>& a, const std::vector<Run>& b);
std::string AreaText(const Run& run);
