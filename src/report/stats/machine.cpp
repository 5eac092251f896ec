#include "stats/machine.h"
#include "stats/stats.h"
#include "stats/verdict.h"

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

namespace
{

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

// "B is 1.48x slower than A relative to the machine"
std::string RelativeSentence(const Comparison& c, const std::string& baseName,
                             const std::string& sideName)
{
    const double q = c.relative.value;
    if (c.verdict == "same") {
        return Printed("no difference beyond +-%.0f %% relative to the machine", kSameBand * 100);
    }
    return sideName + Printed(" is %.2fx ", q > 1 ? q : 1 / q) + c.verdict + " than " + baseName +
           " relative to the machine";
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
    c.resolution = Resolution(c.low, c.high);
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
    const Interval rawRatio = IntervalOf(c);
    const std::string raw = "raw times " + RatioText(rawRatio, baseName, sideName);
    const bool rawDiffers = c.verdict == "slower" || c.verdict == "faster";
    c.machineChanged = c.memory.verdict == "slower" || c.memory.verdict == "faster";
    const bool beyondBand =
        c.relative.low > 1 + kMachineBand || c.relative.high < 1 / (1 + kMachineBand);
    const double relativeResolution =
        (1 + kMachineBand) * Resolution(c.relative.low, c.relative.high);
    if (c.memory.low >= 1 / (1 + kMachineBand) && c.memory.high <= 1 + kMachineBand) {
        // The control shows the machine unchanged: the raw times decide. Where they cannot, the
        // time relative to the machine may, since it cancels what moved both paths.
        c.resolution = std::min(c.resolution, Resolution(c.relative.low, c.relative.high));
        if (c.verdict == "inconclusive" && c.relative.verdict != "inconclusive") {
            c.verdict = c.relative.verdict;
            c.sentence = RelativeSentence(c, baseName, sideName) + " (" + relative + "; " + raw +
                         "; the machine unchanged: in memory " +
                         RatioText(c.memory, baseName, sideName) + ")";
        }
        return;
    }
    if (!c.machineChanged) {
        // The control cannot tell whether the machine changed: a verdict of the raw times
        // stands where the time relative to the machine agrees, and one relative to the
        // machine where it says "same" or lies beyond the band.
        c.resolution = std::min(c.resolution, relativeResolution);
        if (c.relative.verdict == c.verdict) {
            return;
        }
        if (beyondBand || c.relative.verdict == "same") {
            c.verdict = c.relative.verdict;
            c.sentence = RelativeSentence(c, baseName, sideName) + " (" + relative + "; " + raw +
                         " (" + c.rawVerdict + "))";
            return;
        }
        c.verdict = "inconclusive";
        c.sentence = "inconclusive: " + raw + " (" + c.rawVerdict + "), but the control (the " +
                     "same grid drawn in memory: " + RatioText(c.memory, baseName, sideName) +
                     ") cannot rule out that the machine's speed explains it: " + relative + " (" +
                     c.relative.verdict + "); record more runs a side";
        return;
    }
    // The machine's own speed changed between the sides: only the time relative to it can
    // speak of the driver, and since the control cannot take out all of the machine (the path
    // to the screen may lean on parts that drawing in memory does not), a difference must lie
    // beyond a wider band than the one that makes "same".
    const double m = c.memory.value;
    const std::string machine =
        "the machine itself ran " + Printed("%.2fx as ", m > 1 ? m : 1 / m) +
        (m > 1 ? "slow" : "fast") + " during " + sideName + " as during " + baseName +
        " (the same grid drawn in memory: " + RatioText(c.memory, baseName, sideName) + ")";
    c.warnings.push_back(machine + ": a change of the machine's speed between the sides, not "
                                   "the driver, moves raw times as much");
    c.resolution = relativeResolution;
    if (beyondBand) {
        c.verdict = c.relative.verdict;
        c.sentence = RelativeSentence(c, baseName, sideName) + " (" + relative + "); in " + raw +
                     ", with " + machine;
        return;
    }
    c.verdict = "inconclusive";
    const std::string band = Printed("+-%.0f %%", kMachineBand * 100);
    c.sentence = "inconclusive: " + machine + "; " + raw + " (" + c.rawVerdict + "), " + relative +
                 (rawDiffers ? ": the machine's change explains the difference in raw times"
                             : ": relative to the machine no difference is shown beyond " + band) +
                 "; record the sides again, alternating them";
}

double Resolution(double low, double high)
{
    return low > 0 && std::isfinite(high) && high >= low ? std::sqrt(high / low) : INFINITY;
}

std::string ResolutionText(double resolution)
{
    if (!std::isfinite(resolution)) {
        return "these runs cannot show a difference of any size: record more or longer runs";
    }
    return Printed("these runs show differences beyond +-%.0f %%",
                   std::ceil((resolution - 1) * 100));
}
