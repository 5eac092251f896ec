// What is made of a run or a sweep once its passes are in.
#include "commands/commands.h"

#include "exit_codes.h"
#include "output/svg.h"
#include "output/text.h"
#include "results/results.h"
#include "results/sweep_record.h"
#include "stats/stats.h"
#include "stats/sweep_fit.h"

namespace
{

int Fail(std::FILE* errors, int code, const std::string& message)
{
    std::fprintf(errors, "zolvik-report: %s\n", message.c_str());
    return code;
}

// "..., run started 2026-12-10T12:00:00Z: Wine Adapter, driver 1.2"
std::string PictureTitle(const std::string& what, const std::string& started,
                         const Provenance& provenance)
{
    const std::string machine = DescribeMachine(provenance);
    return what + started + (machine.empty() ? "" : ": " + machine);
}

} // namespace

int FinishRun(const Options& options, const Provenance& provenance, const Run& run, bool append,
              std::FILE* out, std::FILE* errors)
{
    const RunAnalysis analysis = AnalyseRun(run);
    if (!run.samples.empty() || run.dropped > 0) {
        PrintRunReport(out, "single-pass durations", analysis.report);
        PrintControl(out, analysis.control);
        PrintSamplingFacts(out, run);
    }
    std::string error;
    int written = kExitOk;
    if (!options.json.empty() && (written = WriteRecord(options.json, append, provenance, run,
                                                        analysis, error)) != kExitOk) {
        Fail(errors, written, error);
    }
    if (!options.plot.empty() && !run.samples.empty()) {
        const std::string title =
            PictureTitle("Zolvik line drawing time, run started ", run.started, provenance);
        const int plotted = WriteRunPlot(options.plot, run, analysis.report.estimate, title, error);
        if (plotted != kExitOk) {
            Fail(errors, plotted, error);
            written = written != kExitOk ? written : plotted;
        }
    }
    return written;
}

int FinishSweep(const Options& options, const SweepRecord& record, std::FILE* out,
                std::FILE* errors)
{
    const SweepFit fit = FitSweep(record.visits);
    PrintSweep(out, record, fit);
    std::string error;
    int code = kExitOk;
    if (!options.json.empty() &&
        (code = WriteSweepRecord(options.json, record, fit, error)) != kExitOk) {
        return Fail(errors, code, error);
    }
    if (!options.plot.empty()) {
        const std::string title =
            PictureTitle("Zolvik line drawing time by drawing area, sweep started ", record.started,
                         record.provenance);
        if ((code = WriteSweepPlot(options.plot, record, fit, title, error)) != kExitOk) {
            return Fail(errors, code, error);
        }
    }
    return kExitOk;
}
