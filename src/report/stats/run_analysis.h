// A run analysed once: its summary with warnings, and its control's figures, handed to
// everything that shows or writes it.
#pragma once

#include "model/run.h"
#include "stats/control.h"
#include "stats/stats.h"

struct RunAnalysis {
    RunReport report;
    ControlEstimate control;
};
RunAnalysis AnalyseRun(const Run& run);
