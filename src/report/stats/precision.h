// How precise a side's runs are, level by level, and what it would take to reach a precision:
// the noise inside a run and between runs, their costs in time, the plan that reaches a target
// at least cost, and the rule that decides how many runs a recording for a precision takes.
#pragma once

#include "model/run.h"
#include "stats/control.h"

#include <cstddef>
#include <vector>

// The target a recording and a comparison plan for where none is asked: the "same" band.
constexpr double kPlanTarget = 0.05;
// The runs a recording for a precision takes first, to measure the spread between runs, and
// whose spread alone then decides how many more it takes.
constexpr std::size_t kPilotRuns = 3;
// The runs a recording for a precision takes at most where --runs does not say.
constexpr long kPrecisionRuns = 10;
// No plan of more runs than this, nor of longer runs than the longest of these.
constexpr std::size_t kMostPlannedRuns = 100;
// Passes a run can have in a plan: 21 is the least that gives a run its own interval.
constexpr std::size_t kPlannedPasses[] = {24, 48, 72, 120, 180, 240, 360, 480};

// One figure of a side at both levels, in natural logarithms (0.05: about 5 %).
struct LevelNoise {
    std::size_t runs = 0;
    double withinRun = 0;   // a run's own standard error, from its blocks (root mean square)
    double perPass = 0;     // the same scaled to one pass: withinRun x sqrt(passes a run)
    double spread = 0;      // the standard deviation of the runs' figures; 0 with one run
    double betweenRuns = 0; // what remains of it once the runs' own errors are taken out
    bool measured = false;  // two runs or more, each with its own interval
};

struct SideNoise {
    LevelNoise raw;
    LevelNoise memory;   // the machine (the control in memory)
    LevelNoise relative; // on screen / in memory
    bool controlled = false;
    double passesPerRun = 0;
    double secondsPerPass = 0; // of a run's time, resets and drops included
    double pauseSeconds = -1;  // between one run's end and the next's start; -1: unknown
};
SideNoise MeasureNoise(const std::vector<Run>& runs);
// The figure a comparison of such sides decides by where the machine is steady or unclear:
// on screen / in memory with a control on both sides, else the raw times.
const LevelNoise& DecidingNoise(const SideNoise& side);
bool Controlled(const SideNoise& a, const SideNoise& b);

// What it would take for two sides, each recorded so, to resolve +-target: N runs of M passes
// a side, judged as recordings for that precision would be: by pilots of the runs measured.
struct Plan {
    bool measured = false; // both sides show how far their runs differ
    bool possible = false;
    std::size_t runs = 0;
    std::size_t passes = 0;
    double minutes = 0;  // a side's recording, pauses included
    double expected = 0; // the resolution it would give, as a fraction (0.048: +-4.8 %)
    double floor = 0;    // the best runs of any length reach at kMostPlannedRuns, a fraction
    bool usesRelative = false;
};
// `pauseSeconds` between runs where the records do not tell (or -1 to take theirs).
Plan PlanFor(double target, const SideNoise& a, const SideNoise& b, double pauseSeconds);

// Recording for a precision: a pilot of kPilotRuns runs measures the spread between runs, and
// that spread with the pilot's degrees of freedom alone fixes how many runs the side takes
// (Stein's two-stage procedure). Later runs never end a recording early because they happened
// to agree, which would make the interval narrow by chance and miss the truth more often.
struct PrecisionStand {
    std::size_t runs = 0;   // recorded so far
    std::size_t needed = 0; // the runs the side takes, once the pilot is in; else 0
    double reached = 0;     // the resolution with the runs so far, a fraction; 0: unknown yet
    bool capped = false;    // the runs needed are more than the most allowed
    bool done = false;
};
PrecisionStand StandAfter(const std::vector<Run>& runs, double target, std::size_t most);
// The half width, in logarithms, of two sides' interval, each of `runs` runs whose figures
// spread by `variance` (log squared), judged with `freedom` degrees of freedom.
double TwoSideHalf(double variance, std::size_t runs, double freedom);
