// The verdict on a side against a base: the ratio of their medians with a 95 % interval, runs
// being the units, and a sentence that claims no more than the runs hold.
#pragma once

#include "model/run.h"
#include "stats/machine.h"

#include <cmath>
#include <string>
#include <vector>

// How much the medians of two runs of one build may differ on one machine, as a factor each
// way. One run a side cannot show it, so its interval is widened by it; chosen from runs of
// one build recorded on Wine (tests/data/report) with room to spare.
constexpr double kRunAllowance = 0.25;

// A figure (a median, or a ratio of a side to the base) with its 95 % interval, and what a
// ratio amounts to.
struct Interval {
    double value = 0;
    double low = 0;
    double high = 0;
    std::string verdict;
};

struct Comparison {
    std::string verdict; // "slower", "faster", "same" or "inconclusive"
    std::string sentence;
    double ratio = 0; // of the raw times on screen
    double low = 0;
    double high = 0;
    double freedom = 0;
    bool betweenRuns = false; // the interval includes the spread between runs, as measured
    double allowance = 0;     // else: the assumed spread it was widened by
    std::vector<std::string> warnings;
    // With a control in every run of both sides: the machine's own speed (the grid drawn in
    // memory) and the time on screen relative to it, each side against the base.
    bool controlled = false;
    Interval memory;
    Interval relative;
    bool machineChanged = false; // the controls differ beyond their runs' spread
    std::string rawVerdict;      // what the raw times alone said
    // The smallest difference these runs could have shown, as a factor (1.12: +-12 %): half
    // the width of the deciding interval, in logarithms; infinite without one.
    double resolution = INFINITY;
};

// `base` and `side` name the two in the sentence ("B is 1.20x slower than A").
Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName = "A", const std::string& sideName = "B");

// The ratio of two sides' figures, runs as the units, with its interval and verdict (a
// sentence only where there is no interval).
Comparison ContrastFigures(const std::vector<RunFigure>& base,
                           const std::vector<RunFigure>& figures);
// Within this band around 1 a difference is too small to matter for a driver report.
constexpr double kSameBand = 0.05;
// Where the machine's speed changed between the sides, the time on screen relative to it
// must differ by more than this for a verdict.
constexpr double kMachineBand = 0.10;

// "same" inside +-5 %, "slower" or "faster" when the interval excludes 1, else "inconclusive".
std::string Classify(double low, double high);
// Half the width of an interval as a factor, and the sentence that says it.
double Resolution(double low, double high);
std::string ResolutionText(double resolution);
std::string IntervalText(double low, double high);
// Judges the comparison on the controls as well: where the machine's own speed did not
// change, raw times decide, or else the time relative to the machine; where it changed, only
// the time relative to the machine, beyond a band.
void TakeOutTheMachine(Comparison& c, const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName, const std::string& sideName);

// A side's median and its 95 % interval, with runs as the units when there are several.
struct SideEstimate {
    double median = 0;
    double low = 0;
    double high = 0; // both 0 when too few passes give no interval
    std::size_t runs = 0;
    std::size_t samples = 0;
    // The control's median and the time on screen relative to it, the same way; all 0 when
    // a run of the side has no control.
    Interval memory;
    Interval relative;
};
SideEstimate EstimateSide(const std::vector<Run>& runs);

// "A", "B", ... "Z": the letters that name the sides of a comparison in order.
std::string SideLetter(std::size_t index);

// Runs that drew different areas, or whose area changed, measured different work.
std::vector<std::string> AreaWarnings(const std::vector<std::vector<Run>>& sides);
