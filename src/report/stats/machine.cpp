#include "stats/machine.h"
#include "stats/stats.h"
#include "stats/verdict.h"

#include <cmath>
#include <cstdio>

namespace
{

// A figure whose value is `centre` and whose standard error comes from the blocks' logs.
RunFigure FromBlocks(double centre, const std::vector<double>& blockLogs)
{
    RunFigure figure;
    figure.logValue = centre;
    if (blockLogs.size() >= 2) {
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

RunFigure ScreenFigure(const Run& run)
{
    const MedianEstimate e = EstimateMedian(Durations(run));
    RunFigure figure;
    figure.logValue = e.logMedian;
    figure.standardError = e.standardError;
    figure.freedom = e.freedom;
    return figure;
}

RunFigure MemoryFigure(const Run& run)
{
    std::vector<double> logs;
    for (const PairedBlock& block : PairBlocks(run)) {
        logs.push_back(LogMedian(block.controls));
    }
    return FromBlocks(LogMedian(ControlDurations(run)), logs);
}

RunFigure RelativeFigure(const Run& run)
{
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

namespace
{

// Where the machine's speed changed between the sides, the time on screen relative to it must
// differ by more than this for a verdict.
constexpr double kMachineBand = 0.10;

Interval IntervalOf(const Comparison& c)
{
    return {c.ratio, c.low, c.high, c.verdict};
}

std::string Printed(const char* format, double value)
{
    char text[120];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "B/A 1.48, 95 % interval 1.40-1.56"
std::string RatioText(const Interval& figure, const std::string& baseName,
                      const std::string& sideName)
{
    return sideName + "/" + baseName + Printed(" %.2f, ", figure.value) +
           IntervalText(figure.low, figure.high);
}

} // namespace

void TakeOutTheMachine(Comparison& c, const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName, const std::string& sideName)
{
    c.rawVerdict = c.verdict;
    const bool baseControlled = HasControl(base);
    const bool sideControlled = HasControl(runs);
    if (!baseControlled || !sideControlled) {
        c.warnings.push_back((baseControlled ? sideName : baseName) +
                             " has no control measurement (a CSV file keeps none): the machine's "
                             "speed cannot be told from the driver's; record into a record "
                             "(--json) to tell them apart");
        return;
    }
    c.controlled = true;
    c.memory =
        IntervalOf(ContrastFigures(FiguresOf(base, MemoryFigure), FiguresOf(runs, MemoryFigure)));
    c.relative = IntervalOf(
        ContrastFigures(FiguresOf(base, RelativeFigure), FiguresOf(runs, RelativeFigure)));
    const std::string relative =
        "on screen / in memory " + RatioText(c.relative, baseName, sideName);
    c.machineChanged = c.memory.verdict == "slower" || c.memory.verdict == "faster";
    const double m = c.memory.value;
    const std::string machine =
        "the machine itself ran " + Printed("%.2fx as ", m > 1 ? m : 1 / m) +
        (m > 1 ? "slow" : "fast") + " during " + sideName + " as during " + baseName +
        " (the same grid drawn in memory: " + RatioText(c.memory, baseName, sideName) + ")";
    if (c.machineChanged) {
        c.warnings.push_back(machine + ": a change of the machine's speed between the sides, "
                                       "not the driver, moves raw times as much");
    }
    // Taking the machine out by the control is not exact (the path to the screen may lean on
    // parts of the machine that drawing in memory does not), so where the machine's speed
    // changed a difference must lie beyond a wider band than the one that makes "same".
    const bool beyondBand =
        c.relative.low > 1 + kMachineBand || c.relative.high < 1 / (1 + kMachineBand);
    const bool rawDiffers = c.verdict == "slower" || c.verdict == "faster";
    const Interval rawRatio = IntervalOf(c);
    const bool agree =
        c.relative.verdict == c.verdict && (!c.machineChanged || !rawDiffers || beyondBand);
    if (agree && c.machineChanged && rawDiffers) {
        const double q = c.relative.value;
        c.sentence = sideName + Printed(" is %.2fx ", q > 1 ? q : 1 / q) + c.verdict + " than " +
                     baseName + " relative to the machine (" + relative + "); in raw times " +
                     RatioText(rawRatio, baseName, sideName) + ", with " + machine;
    }
    if (agree) {
        return;
    }
    // The raw times and the time relative to the machine say different things: the verdict
    // waits for runs that tell them apart.
    const std::string raw =
        "raw times give " + RatioText(rawRatio, baseName, sideName) + " (" + c.rawVerdict + ")";
    c.verdict = "inconclusive";
    if (c.machineChanged) {
        c.sentence = "inconclusive: " + machine + "; " + raw + ", " + relative + " (" +
                     c.relative.verdict + ")" +
                     (!rawDiffers ? ": raw times and the time relative to the machine disagree"
                      : c.relative.verdict != c.rawVerdict
                          ? ": the machine's change explains the difference in raw times"
                          : ": relative to the machine the difference is not shown to exceed "
                            "+-10 %") +
                     "; record the sides again, alternating them";
    } else {
        c.sentence = "inconclusive: " + raw + ", but the control (the same grid drawn in " +
                     "memory: " + RatioText(c.memory, baseName, sideName) +
                     ") cannot rule out that the machine's speed explains it: " + relative + " (" +
                     c.relative.verdict + "); record more runs a side";
    }
}
