// The verdict on a side against a base: the ratio of their medians with a 95 % interval, runs
// being the units, judged on the control as well, and the reason for it. Decisions only: how
// they are said is output's.
#pragma once

#include "model/run.h"
#include "stats/control.h"
#include "stats/precision.h"

#include <cmath>
#include <cstddef>
#include <vector>

// How much the medians of two runs of one build may differ on one machine, as a factor each
// way. One run a side cannot show it, so its interval is widened by it; chosen from runs of
// one build recorded on Wine (tests/data/report) with room to spare.
constexpr double kRunAllowance = 0.25;
// Within this band around 1 a difference is too small to matter for a driver report.
constexpr double kSameBand = 0.05;
// The machine counts as unchanged where its control stays within this band; where it changed,
// the time on screen relative to it must lie beyond the band for a verdict.
constexpr double kMachineBand = 0.10;

enum class Verdict { Slower, Faster, Same, Inconclusive };

// Why a comparison says what it says.
enum class Reason {
    RawTimes,               // the raw times decide
    RelativeMachineSteady,  // the machine unchanged; raw times could not tell, relative could
    RelativeMachineUnclear, // the control could not tell; relative is same or beyond the band
    RelativeMachineChanged, // the machine changed; relative beyond the band, raw agrees
    ZeroMedian,             // a side has a median of 0 ms
    TooFewSamples,          // too few passes for an interval
    Noise,                  // runs a side measured: the difference is within their spread
    SingleRun,              // a side with one run: within the spread runs are assumed to have
    MachineMayExplain,      // the control cannot rule out that the machine explains it
    MachineChanged,         // the machine changed; relative within the band, or raw differs
};

// What the control says of the machine between the sides.
enum class Machine {
    Unknown, // a side has no control
    Steady,  // within the band
    Unclear, // neither within the band nor clearly changed
    Changed, // its own speed differs between the sides
};

// "same" wholly inside the band, "slower" or "faster" when the interval excludes 1 (however
// little), else inconclusive.
Verdict Classify(double low, double high);

// A figure (a median, or a ratio of a side to the base) with its 95 % interval, and what a
// ratio amounts to.
struct Interval {
    double value = 0;
    double low = 0;
    double high = 0;
    Verdict verdict = Verdict::Inconclusive;
};

// What limits the smallest difference a comparison would call, each way.
enum class Limit {
    None,        // no interval: no difference of any size
    RawTimes,    // the raw times' interval
    Relative,    // on screen / in memory's interval
    MachineBand, // the machine may have changed: on screen / in memory beyond the machine band
};

// The smallest difference these runs would call, each way, were the raw times and on screen /
// in memory both to show it (the in-memory figure as measured): B called slower from
// `slowerFrom` (a factor above 1), faster from `fasterFrom` (below 1). Found by searching the
// decision itself, so that it can never promise what the decision would not say.
struct Resolves {
    double slowerFrom = INFINITY;
    double fasterFrom = 0;
    Limit slowerLimit = Limit::None;
    Limit fasterLimit = Limit::None;
    // The "same" band, not the runs' spread, set the figure: a difference inside it is "same".
    bool sameBandSlower = false;
    bool sameBandFaster = false;
};

struct Comparison {
    Verdict verdict = Verdict::Inconclusive;
    Reason reason = Reason::RawTimes;
    double ratio = 0; // of the raw times on screen
    double low = 0;
    double high = 0;
    double freedom = 0;
    std::size_t baseRuns = 0;
    std::size_t sideRuns = 0;
    bool betweenRuns = false; // the interval includes the spread between runs, as measured
    double allowance = 0;     // else: the assumed spread it was widened by
    Verdict rawVerdict = Verdict::Inconclusive; // what the raw times alone said
    // With a control in every run of both sides: the machine's own speed (the grid drawn in
    // memory) and the time on screen relative to it, each side against the base.
    Machine machine = Machine::Unknown;
    bool baseControlled = false;
    bool sideControlled = false;
    Interval memory;
    Interval relative;
    Resolves resolves;
    // The figure a headline quotes: the raw times, or on screen / in memory where it decided;
    // where the machine changed, or the control cannot tell and both figures agree, whichever
    // of the two lies nearer 1 ("at least"), all the runs can promise.
    double quoted = 0;
    bool relativeDecides = false;
    bool atLeast = false;
    bool machineSlowed = false; // the machine's own speed: B's in memory over A's above 1
    // What two sides with these sides' noise would take to resolve kPlanTarget.
    Plan plan;
};

Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs);

// The decision on the three figures' intervals: what a comparison says, why, and the machine's
// state. `raw` holds what the raw times alone say, `rawReason` why; no `memory` without a
// control on both sides.
struct Decision {
    Verdict verdict;
    Reason reason;
    Machine machine;
};
Decision Decide(const Interval& raw, Reason rawReason, const Interval* memory,
                const Interval& relative);
Resolves ResolveEachWay(const Comparison& c);

// The ratio of two sides' figures, runs as the units, with its interval and verdict.
// The variance of one run's log figure as a side's runs show it: their spread, never less
// than the spread each run shows inside itself (a run too short for its own interval counts
// as off by half the allowance). Infinite for fewer than two runs.
double SpreadOfRuns(const std::vector<RunFigure>& figures);
// `basePilot` and `sidePilot`: the pilot runs of a side recorded for a precision, whose spread
// alone then judges it (0: every run's).
Comparison ContrastFigures(const std::vector<RunFigure>& base,
                           const std::vector<RunFigure>& figures, std::size_t basePilot = 0,
                           std::size_t sidePilot = 0);

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
