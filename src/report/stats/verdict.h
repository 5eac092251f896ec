// The verdict on a side against a base: the ratio of their medians with a 95 % interval, runs
// being the units, and a sentence that claims no more than the runs hold.
#pragma once

#include "results/results.h"

#include <string>
#include <vector>

// How much the medians of two runs of one build may differ on one machine, as a factor each
// way. One run a side cannot show it, so its interval is widened by it; chosen from runs of
// one build recorded on Wine (tests/data/report) with room to spare.
constexpr double kRunAllowance = 0.25;

struct Comparison {
    std::string verdict; // "slower", "faster", "same" or "inconclusive"
    std::string sentence;
    double ratio = 0;
    double low = 0;
    double high = 0;
    double freedom = 0;
    bool betweenRuns = false; // the interval includes the spread between runs, as measured
    double allowance = 0;     // else: the assumed spread it was widened by
    std::vector<std::string> warnings;
};

// `base` and `side` name the two in the sentence ("B is 1.20x slower than A").
Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName = "A", const std::string& sideName = "B");

// A side's median and its 95 % interval, with runs as the units when there are several.
struct SideEstimate {
    double median = 0;
    double low = 0;
    double high = 0; // both 0 when too few passes give no interval
    std::size_t runs = 0;
    std::size_t samples = 0;
};
SideEstimate EstimateSide(const std::vector<Run>& runs);

// "A", "B", ... "Z": the letters that name the sides of a comparison in order.
std::string SideLetter(std::size_t index);

// Runs that drew different areas, or whose area changed, measured different work.
std::vector<std::string> AreaWarnings(const std::vector<std::vector<Run>>& sides);
std::string AreaText(const Run& run);
