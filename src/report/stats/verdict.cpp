#include "stats/verdict.h"
#include "stats/control.h"
#include "stats/stats.h"

#include <algorithm>
#include <cmath>

namespace
{

// One side's log median and the variance of that estimate.
struct Side {
    double logMedian = 0;
    double variance = 0;
    double freedom = 0;
    std::size_t runs = 0;
    std::size_t samples = 0;
};

// A run too short for its own interval shows nothing of how far its median may be off; it is
// taken to be off by as much as the allowance for runs of one build (two standard deviations),
// so that short runs that happen to agree never make a narrower interval.
const double kShortRunError = std::log(1 + kRunAllowance) / 2;

// A single run has only its blocks, which cannot show how much runs differ from one another.
// A side recorded for a precision is judged by its pilot's spread alone, with the pilot's
// degrees of freedom: the runs that followed were as many as that spread asked for, and a
// spread measured again over them would be narrow just where they stopped early.
Side Pool(const std::vector<RunFigure>& figures, std::size_t pilot)
{
    Side side;
    side.runs = figures.size();
    for (const RunFigure& figure : figures) {
        side.logMedian += figure.logValue;
    }
    const double r = static_cast<double>(figures.size());
    side.logMedian /= r;
    if (figures.size() == 1) {
        side.variance = figures[0].standardError * figures[0].standardError;
        side.freedom = figures[0].freedom;
        return side;
    }
    if (pilot >= 2 && pilot <= figures.size()) {
        const std::vector<RunFigure> first(figures.begin(),
                                           figures.begin() + static_cast<long>(pilot));
        side.variance = SpreadOfRuns(first) / r;
        side.freedom = static_cast<double>(pilot - 1);
        return side;
    }
    side.variance = SpreadOfRuns(figures) / r;
    side.freedom = r - 1;
    return side;
}

// The pilot of a side whose every run was recorded for a precision, its pilot runs first;
// 0 for any other side.
std::size_t PilotOf(const std::vector<Run>& runs)
{
    std::size_t pilot = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].precision <= 0 || (runs[i].pilot && pilot != i)) {
            return 0;
        }
        pilot += runs[i].pilot ? 1 : 0;
    }
    return pilot;
}

Side Pool(const std::vector<Run>& runs)
{
    Side side = Pool(FiguresOf(runs, ScreenFigure), PilotOf(runs));
    for (const Run& run : runs) {
        side.samples += run.samples.size();
    }
    return side;
}

} // namespace

double SpreadOfRuns(const std::vector<RunFigure>& figures)
{
    double mean = 0;
    double withinSum = 0;
    for (const RunFigure& figure : figures) {
        mean += figure.logValue;
        const double error = figure.freedom > 0 ? figure.standardError : kShortRunError;
        withinSum += error * error;
    }
    const double r = static_cast<double>(figures.size());
    mean /= r;
    double between = 0;
    for (const RunFigure& figure : figures) {
        between += (figure.logValue - mean) * (figure.logValue - mean);
    }
    return figures.size() < 2 ? INFINITY : std::max(between / (r - 1), withinSum / r);
}

Verdict Classify(double low, double high)
{
    // A difference held wholly within the band is too small to matter for a driver report,
    // even where the runs show it is there: calling it slower would claim more than it means.
    if (low >= 1 - kSameBand && high <= 1 + kSameBand) {
        return Verdict::Same;
    }
    return low > 1 ? Verdict::Slower : high < 1 ? Verdict::Faster : Verdict::Inconclusive;
}

Comparison ContrastFigures(const std::vector<RunFigure>& base,
                           const std::vector<RunFigure>& figures, std::size_t basePilot,
                           std::size_t sidePilot)
{
    const Side sideA = Pool(base, basePilot);
    const Side sideB = Pool(figures, sidePilot);
    Comparison c;
    const double difference = sideB.logMedian - sideA.logMedian;
    c.ratio = std::exp(difference);
    const double variance = sideA.variance + sideB.variance;
    c.baseRuns = sideA.runs;
    c.sideRuns = sideB.runs;
    c.betweenRuns = sideA.runs > 1 && sideB.runs > 1;
    c.verdict = Verdict::Inconclusive;
    c.high = INFINITY;
    // A median of 0 ms (a file may say so) has no logarithm to compare.
    if (!std::isfinite(difference) || !std::isfinite(variance)) {
        c.reason = Reason::ZeroMedian;
        c.ratio = std::isfinite(difference) ? c.ratio : 0;
        return c;
    }
    if (sideA.freedom == 0 || sideB.freedom == 0 || variance <= 0) {
        c.reason = Reason::TooFewSamples;
        return c;
    }
    // Welch-Satterthwaite: the degrees of freedom of a sum of two estimated variances.
    c.freedom = variance * variance /
                (sideA.variance * sideA.variance / sideA.freedom +
                 sideB.variance * sideB.variance / sideB.freedom);
    const double half = TQuantile95(c.freedom) * std::sqrt(variance);
    c.low = std::exp(difference - half);
    c.high = std::exp(difference + half);
    if (!c.betweenRuns) {
        // A single run shows only its own passes; how far another run of the same build would
        // land is assumed, not measured, and widens the interval both ways.
        c.allowance = kRunAllowance;
        c.low /= 1 + c.allowance;
        c.high *= 1 + c.allowance;
    }
    c.verdict = Classify(c.low, c.high);
    if (c.verdict == Verdict::Inconclusive) {
        c.reason = c.betweenRuns ? Reason::Noise : Reason::SingleRun;
    }
    return c;
}

namespace
{

Interval IntervalOf(const Comparison& c)
{
    return {c.ratio, c.low, c.high, c.verdict};
}

bool Differs(Verdict verdict)
{
    return verdict == Verdict::Slower || verdict == Verdict::Faster;
}

bool Opposite(Verdict one, Verdict other)
{
    return Differs(one) && Differs(other) && one != other;
}

} // namespace

Decision Decide(const Interval& raw, Reason rawReason, const Interval* memory,
                const Interval& relative)
{
    Decision d = {raw.verdict, rawReason, Machine::Unknown};
    if (!memory) {
        return d;
    }
    const bool beyondBand =
        relative.low > 1 + kMachineBand || relative.high < 1 / (1 + kMachineBand);
    if (memory->low >= 1 / (1 + kMachineBand) && memory->high <= 1 + kMachineBand) {
        // The control shows the machine unchanged: the raw times decide. Where they cannot, the
        // time relative to the machine may, since it cancels what moved both paths.
        d.machine = Machine::Steady;
        if (d.verdict == Verdict::Inconclusive && relative.verdict != Verdict::Inconclusive) {
            d = {relative.verdict, Reason::RelativeMachineSteady, Machine::Steady};
        }
        return d;
    }
    if (!Differs(memory->verdict)) {
        // The control cannot tell whether the machine changed: a verdict of the raw times
        // stands where the time relative to the machine agrees, and one relative to the
        // machine where it says "same", or lies beyond the band and the raw times do not say
        // the opposite.
        d.machine = Machine::Unclear;
        if (relative.verdict == d.verdict) {
            return d;
        }
        if ((beyondBand && !Opposite(d.verdict, relative.verdict)) ||
            relative.verdict == Verdict::Same) {
            return {relative.verdict, Reason::RelativeMachineUnclear, Machine::Unclear};
        }
        return {Verdict::Inconclusive, Reason::MachineMayExplain, Machine::Unclear};
    }
    // The machine's own speed changed between the sides. The path to the screen may share all
    // of that change, part of it or none (it may lean on parts of the machine that drawing in
    // memory does not, or not lean on the processor at all), so the driver's own difference
    // lies somewhere between the time relative to the machine and the raw times: a verdict
    // needs both to say it, the relative time beyond a band wider than the one that makes
    // "same". On Wine, with every process of a session stopped at random moments, the same
    // build's on screen / in memory ranged from 0.64 to 1.36 over 10 comparisons of three
    // runs a side.
    const bool bothSay = beyondBand && d.verdict == relative.verdict;
    return {bothSay ? relative.verdict : Verdict::Inconclusive,
            bothSay ? Reason::RelativeMachineChanged : Reason::MachineChanged, Machine::Changed};
}

Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs)
{
    const std::size_t basePilot = PilotOf(base);
    const std::size_t sidePilot = PilotOf(runs);
    Comparison c = ContrastFigures(FiguresOf(base, ScreenFigure), FiguresOf(runs, ScreenFigure),
                                   basePilot, sidePilot);
    c.rawVerdict = c.verdict;
    c.baseControlled = HasControl(base);
    c.sideControlled = HasControl(runs);
    const bool controlled = c.baseControlled && c.sideControlled;
    if (controlled) {
        c.memory = IntervalOf(ContrastFigures(FiguresOf(base, MemoryFigure),
                                              FiguresOf(runs, MemoryFigure), basePilot, sidePilot));
        c.relative =
            IntervalOf(ContrastFigures(FiguresOf(base, RelativeFigure),
                                       FiguresOf(runs, RelativeFigure), basePilot, sidePilot));
    }
    const Decision d =
        Decide(IntervalOf(c), c.reason, controlled ? &c.memory : nullptr, c.relative);
    c.verdict = d.verdict;
    c.reason = d.reason;
    c.machine = d.machine;
    c.resolves = ResolveEachWay(c);
    c.relativeDecides = c.reason == Reason::RelativeMachineSteady ||
                        c.reason == Reason::RelativeMachineUnclear ||
                        c.reason == Reason::RelativeMachineChanged;
    // The driver's own difference lies between the raw times and the time relative to the
    // machine wherever the machine may have changed: where it changed, and where the control
    // cannot tell and both figures agree. The one nearer 1 is all the runs can promise.
    const bool differs = c.verdict == Verdict::Slower || c.verdict == Verdict::Faster;
    c.atLeast = c.reason == Reason::RelativeMachineChanged ||
                (differs && c.machine == Machine::Unclear && c.reason == Reason::RawTimes);
    const bool rawNearer = std::fabs(std::log(c.ratio)) < std::fabs(std::log(c.relative.value));
    c.quoted = c.atLeast           ? (rawNearer ? c.ratio : c.relative.value)
               : c.relativeDecides ? c.relative.value
                                   : c.ratio;
    c.machineSlowed = c.memory.value > 1;
    c.plan = PlanFor(kPlanTarget, MeasureNoise(base), MeasureNoise(runs), -1);
    return c;
}

namespace
{

Interval SideInterval(const Side& side)
{
    Interval interval;
    interval.value = std::exp(side.logMedian);
    if (side.freedom > 0 && side.variance > 0 && std::isfinite(side.logMedian)) {
        const double half = TQuantile95(side.freedom) * std::sqrt(side.variance);
        interval.low = std::exp(side.logMedian - half);
        interval.high = std::exp(side.logMedian + half);
    }
    return interval;
}

} // namespace

SideEstimate EstimateSide(const std::vector<Run>& runs)
{
    const Side side = Pool(runs);
    SideEstimate e;
    e.runs = side.runs;
    e.samples = side.samples;
    const Interval screen = SideInterval(side);
    e.median = screen.value;
    e.low = screen.low;
    e.high = screen.high;
    if (HasControl(runs)) {
        e.memory = SideInterval(Pool(FiguresOf(runs, MemoryFigure), PilotOf(runs)));
        e.relative = SideInterval(Pool(FiguresOf(runs, RelativeFigure), PilotOf(runs)));
    }
    return e;
}
