#include "stats/control.h"
#include "stats/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// A figure whose value is `centre` and whose standard error comes from the blocks' logs.
RunFigure FromBlocks(double centre, const std::vector<double>& blockLogs)
{
    RunFigure figure;
    figure.logValue = centre;
    if (blockLogs.size() >= kMinBlocks) {
        figure.freedom = static_cast<double>(blockLogs.size() - 1);
        figure.standardError =
            std::sqrt(SampleVariance(blockLogs) / static_cast<double>(blockLogs.size()));
    }
    return figure;
}

double LogMedian(const std::vector<double>& values)
{
    return std::log(Median(values));
}

RunFigure FromEstimate(const MedianEstimate& e)
{
    RunFigure figure;
    figure.logValue = e.logMedian;
    figure.standardError = e.standardError;
    figure.freedom = e.freedom;
    return figure;
}

// A run whose passes had control passes of their own, at least half of them.
bool Paired(const Run& run)
{
    return 2 * PairedRatios(run).size() >= run.samples.size() && !run.samples.empty();
}

} // namespace

std::vector<PairedBlock> PairBlocks(const Run& run)
{
    std::vector<PairedBlock> blocks;
    const std::vector<Sample>& passes = run.samples;
    std::size_t next = 0; // the first pass not yet in a block
    const auto takePassesUntil = [&](double seconds, PairedBlock& block) {
        while (next < passes.size() && passes[next].seconds <= seconds) {
            block.passes.push_back(passes[next++].durationMs);
        }
    };
    for (const Sample& control : run.controls) {
        // A pass recorded since the last control ends that spell's block.
        const bool passesSince = next < passes.size() && passes[next].seconds <= control.seconds;
        if (blocks.empty() || passesSince) {
            if (!blocks.empty()) {
                takePassesUntil(control.seconds, blocks.back());
            }
            blocks.emplace_back();
        }
        blocks.back().controls.push_back(control.durationMs);
    }
    if (blocks.empty()) {
        return blocks;
    }
    takePassesUntil(INFINITY, blocks.back());
    // A spell with no pass after it (a run that ended there) joins the block before.
    if (blocks.size() > 1 && blocks.back().passes.empty()) {
        PairedBlock last = blocks.back();
        blocks.pop_back();
        blocks.back().controls.insert(blocks.back().controls.end(), last.controls.begin(),
                                      last.controls.end());
    }
    return blocks;
}

std::vector<double> PairedRatios(const Run& run)
{
    std::vector<double> ratios;
    for (const Sample& control : run.controls) {
        if (control.pass >= 1 && control.pass <= run.samples.size() && control.durationMs > 0) {
            ratios.push_back(run.samples[control.pass - 1].durationMs / control.durationMs);
        }
    }
    return ratios;
}

RunFigure ScreenFigure(const Run& run)
{
    return FromEstimate(EstimateMedian(Durations(run)));
}

RunFigure MemoryFigure(const Run& run)
{
    if (Paired(run)) {
        return FromEstimate(EstimateMedian(ControlDurations(run)));
    }
    std::vector<double> logs;
    for (const PairedBlock& block : PairBlocks(run)) {
        logs.push_back(LogMedian(block.controls));
    }
    return FromBlocks(LogMedian(ControlDurations(run)), logs);
}

RunFigure RelativeFigure(const Run& run)
{
    if (Paired(run)) {
        return FromEstimate(EstimateMedian(PairedRatios(run)));
    }
    std::vector<double> logs;
    for (const PairedBlock& block : PairBlocks(run)) {
        if (!block.passes.empty()) {
            logs.push_back(LogMedian(block.passes) - LogMedian(block.controls));
        }
    }
    return FromBlocks(LogMedian(Durations(run)) - LogMedian(ControlDurations(run)), logs);
}

ControlEstimate EstimateControl(const Run& run)
{
    ControlEstimate e;
    e.count = run.controls.size();
    if (e.count == 0 || run.samples.empty()) {
        return e;
    }
    e.median = Median(ControlDurations(run));
    e.pairs = Paired(run) ? PairedRatios(run).size() : 0;
    const RunFigure relative = RelativeFigure(run);
    e.ratio = std::exp(relative.logValue);
    e.blocks = relative.freedom > 0 ? static_cast<std::size_t>(relative.freedom) + 1 : 0;
    if (relative.freedom > 0 && std::isfinite(relative.logValue)) {
        const double half = TQuantile95(relative.freedom) * relative.standardError;
        e.low = std::exp(relative.logValue - half);
        e.high = std::exp(relative.logValue + half);
    }
    return e;
}

bool HasControl(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.controls.empty()) {
            return false;
        }
    }
    return !runs.empty();
}

std::vector<RunFigure> FiguresOf(const std::vector<Run>& runs, RunFigure (*figure)(const Run&))
{
    std::vector<RunFigure> figures;
    for (const Run& run : runs) {
        figures.push_back(figure(run));
    }
    return figures;
}
