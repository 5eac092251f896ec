#include "stats/run_analysis.h"

RunAnalysis AnalyseRun(const Run& run)
{
    return {ReportRun(Durations(run), run.dropped), EstimateControl(run)};
}
