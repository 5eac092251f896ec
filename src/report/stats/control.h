// The control's statistics: a run's passes on screen against the same grid drawn in memory
// by the sampler at the same time, and each run's figures as comparisons pool them.
#pragma once

#include "model/run.h"
#include "stats/stats.h"

#include <cstddef>
#include <vector>

// One figure of one run, in logarithms, with its standard error from the run's own blocks;
// freedom 0 where the run is too short to show its own spread.
struct RunFigure {
    double logValue = 0;
    double standardError = 0;
    double freedom = 0;
};

// The passes' median (the raw time on screen).
RunFigure ScreenFigure(const Run& run);
// The control's median: how fast the machine drew in memory during the run.
RunFigure MemoryFigure(const Run& run);
// The time on screen relative to the machine's: where passes had control passes of their
// own, the median of each pass over its control pass, drawn within milliseconds of each
// other, so that drift cancels pass by pass; else the passes' median over the control's.
RunFigure RelativeFigure(const Run& run);
// Each paired pass's duration over its control pass's, in the order they were drawn.
std::vector<double> PairedRatios(const Run& run);

std::vector<RunFigure> FiguresOf(const std::vector<Run>& runs, RunFigure (*figure)(const Run&));

// The passes between one spell of control passes and the next, with that spell: drawn within
// seconds of each other, so that a change of the machine's speed falls on both.
struct PairedBlock {
    std::vector<double> passes;
    std::vector<double> controls;
};
std::vector<PairedBlock> PairBlocks(const Run& run);

// "On screen: N times as long as in memory" for one run, with a 95 % interval from blocks of
// its pairs, or from its paired blocks (none with fewer than three).
struct ControlEstimate {
    std::size_t count = 0; // control passes; 0: the run has no control
    double median = 0;     // of the control passes, ms
    double ratio = 0;      // the passes' median over the control's
    double low = 0;
    double high = 0; // both 0 without an interval
    std::size_t blocks = 0;
    std::size_t pairs = 0; // passes with a control pass of their own; 0: spells before resets
};
ControlEstimate EstimateControl(const Run& run);

// Every run of the side has a control.
bool HasControl(const std::vector<Run>& runs);
