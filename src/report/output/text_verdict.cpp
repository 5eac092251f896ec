// Verdicts in words: a headline with the side, the verdict and its reason in a few words, one
// figure a line, what the runs can resolve and what to do next. The text, the Markdown report
// and the picture all say a verdict through here.
#include "output/text.h"
#include "output/words.h"

#include <cmath>
#include <cstdio>

namespace
{

std::string Printed(const char* format, double value)
{
    char text[160];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Percent(double share)
{
    return Printed("%.0f %%", share * 100);
}

const char* FigureWord(Verdict verdict)
{
    return verdict == Verdict::Inconclusive ? "cannot tell" : VerdictWord(verdict);
}

// "2.18x slower than A"; `q` is the side's figure over the base's.
std::string Times(double q, Verdict verdict, const std::string& base)
{
    return Printed("%.2fx ", q > 1 ? q : 1 / q) + VerdictWord(verdict) + " than " + base;
}

std::string NoVerdictBecause(const Comparison& c, const std::string& base, const std::string& side)
{
    switch (c.reason) {
    case Reason::ZeroMedian:
        return "a side has a median of 0 ms, which cannot be compared";
    case Reason::TooFewSamples:
        return "too few samples for an interval";
    case Reason::Noise:
        return "the difference is within these runs' noise";
    case Reason::SingleRun:
        return (c.baseRuns > 1   ? "a single run of " + side
                : c.sideRuns > 1 ? "a single run of " + base
                                 : std::string("one run a side")) +
               " cannot show how far runs of one build differ";
    case Reason::MachineMayExplain:
        return "the machine's own speed may explain the difference";
    case Reason::MachineChanged:
        return std::string("the machine ") + (c.machineSlowed ? "slowed down" : "sped up") +
               " while " + side + " was recorded";
    case Reason::RawTimes:
    case Reason::RelativeMachineSteady:
    case Reason::RelativeMachineUnclear:
    case Reason::RelativeMachineChanged:
        return "";
    }
    return "";
}

std::string MachineWord(const Comparison& c)
{
    switch (c.machine) {
    case Machine::Steady:
        return "steady (within +-" + Percent(kMachineBand) + ")";
    case Machine::Changed:
        return c.machineSlowed ? "slowed down" : "sped up";
    case Machine::Unknown:
    case Machine::Unclear:
        return "cannot tell";
    }
    return "cannot tell";
}

std::string Headline(const Comparison& c, const std::string& base, const std::string& side)
{
    const std::string relative = c.relativeDecides ? " relative to the machine" : "";
    switch (c.verdict) {
    case Verdict::Same:
        return side + ": the same as " + base + " within +-" + Percent(kSameBand) + relative;
    case Verdict::Slower:
    case Verdict::Faster:
        if (c.atLeast && c.machine == Machine::Unclear) {
            return side + ": at least " + Times(c.quoted, c.verdict, base) +
                   " (the control cannot tell whether the machine changed)";
        }
        if (c.atLeast) {
            return side + ": at least " + Times(c.quoted, c.verdict, base) + " (the machine " +
                   MachineWord(c) + " while " + side + " was recorded)";
        }
        return side + ": " + Times(c.quoted, c.verdict, base) + relative;
    case Verdict::Inconclusive:
        return side + ": no verdict: " + NoVerdictBecause(c, base, side);
    }
    return side + ": no verdict: " + NoVerdictBecause(c, base, side);
}

std::string WhatToDoNext(const Comparison& c)
{
    if (c.verdict == Verdict::Slower || c.verdict == Verdict::Faster) {
        return "attach the Markdown report, its picture and the records to the driver bug";
    }
    if (c.verdict == Verdict::Same) {
        return "nothing to report: these drivers draw these lines alike";
    }
    switch (c.reason) {
    case Reason::ZeroMedian:
        return "check the files: a pass of 0 ms was not measured by zolvik-report";
    case Reason::SingleRun:
        return "record three runs a side or more, the sides taking turns (--append), or each "
               "side with --precision 5";
    case Reason::MachineMayExplain:
    case Reason::MachineChanged:
        return "record the sides again, alternating them";
    case Reason::RawTimes:
    case Reason::RelativeMachineSteady:
    case Reason::RelativeMachineUnclear:
    case Reason::RelativeMachineChanged:
    case Reason::TooFewSamples:
    case Reason::Noise:
        return "record more or longer runs a side";
    }
    return "record more or longer runs a side";
}

VerdictFigure Figure(const std::string& label, const Interval& ratio, const std::string& word,
                     const std::string& base, const std::string& side)
{
    const bool bounded = std::isfinite(ratio.high) && ratio.high > 0;
    return {label, side + "/" + base + Printed(" %.2f", ratio.value),
            bounded ? IntervalText(ratio.low, ratio.high) : "no interval", word};
}

std::string NoControl(const Comparison& c, const std::string& base, const std::string& side)
{
    const bool both = !c.baseControlled && !c.sideControlled;
    return "no control: " + (both
                                 ? "neither side has one"
                                 : (c.baseControlled ? side : base) + " has none (a CSV file keeps "
                                                                      "none; record with --json)");
}

} // namespace

const char* VerdictWord(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Slower:
        return "slower";
    case Verdict::Faster:
        return "faster";
    case Verdict::Same:
        return "same";
    case Verdict::Inconclusive:
        return "inconclusive";
    }
    return "inconclusive";
}

const char* ReasonCode(Reason reason)
{
    switch (reason) {
    case Reason::RawTimes:
        return "raw_times";
    case Reason::RelativeMachineSteady:
        return "relative_machine_steady";
    case Reason::RelativeMachineUnclear:
        return "relative_machine_unclear";
    case Reason::RelativeMachineChanged:
        return "relative_machine_changed";
    case Reason::ZeroMedian:
        return "zero_median";
    case Reason::TooFewSamples:
        return "too_few_samples";
    case Reason::Noise:
        return "within_noise";
    case Reason::SingleRun:
        return "single_run";
    case Reason::MachineMayExplain:
        return "machine_may_explain";
    case Reason::MachineChanged:
        return "machine_changed";
    }
    return "machine_changed";
}

const char* LimitCode(Limit limit)
{
    switch (limit) {
    case Limit::None:
        return "none";
    case Limit::RawTimes:
        return "raw_times";
    case Limit::Relative:
        return "relative";
    case Limit::MachineBand:
        return "machine_band";
    }
    return "none";
}

const char* MachineCode(Machine machine)
{
    switch (machine) {
    case Machine::Steady:
        return "steady";
    case Machine::Unclear:
        return "unclear";
    case Machine::Changed:
        return "changed";
    case Machine::Unknown:
        return "unknown";
    }
    return "unknown";
}

std::string IntervalText(double low, double high)
{
    // Rounded outwards, so the interval shown always holds the one computed.
    char text[120];
    std::snprintf(text, sizeof text, "95 %% interval %.2f-%.2f", std::floor(low * 100) / 100,
                  std::ceil(high * 100) / 100);
    return text;
}

std::string ResolvesText(const Resolves& r, const std::string& side)
{
    if (!std::isfinite(r.slowerFrom) && r.fasterFrom <= 0) {
        return "no difference of any size";
    }
    // Rounded away from 1, so that the figure shown is never one the runs would not call.
    const std::string slower =
        std::isfinite(r.slowerFrom)
            ? "slower from " + Printed("%.2fx", std::ceil(r.slowerFrom * 100) / 100) + " (+" +
                  Printed("%.0f %%)", std::ceil((r.slowerFrom - 1) * 100))
            : "slower at no size";
    const std::string faster =
        r.fasterFrom > 0 ? "faster from " + Printed("%.2fx", std::floor(r.fasterFrom * 100) / 100) +
                               " (-" + Printed("%.0f %%)", std::ceil((1 - r.fasterFrom) * 100))
                         : "faster at no size";
    return side + " " + slower + ", " + faster;
}

std::string LimitText(Limit limit, Machine machine, bool sameBand)
{
    std::string text;
    const char* both = machine == Machine::Changed
                           ? ": the machine changed, so both figures must agree"
                           : ": the control cannot tell whether the machine changed, so both "
                             "figures must agree";
    switch (limit) {
    case Limit::None:
        return "no interval";
    case Limit::RawTimes:
        text = "the raw times' interval";
        text += machine == Machine::Unknown  ? " (no control)"
                : machine == Machine::Steady ? " (the machine steady)"
                                             : both;
        break;
    case Limit::Relative:
        text = "on screen / in memory's interval";
        text += machine == Machine::Steady ? ", narrower than the raw times'" : both;
        break;
    case Limit::MachineBand:
        text = "the machine may have changed, so on screen / in memory must lie beyond the " +
               Percent(kMachineBand) + " machine band";
        break;
    }
    if (sameBand) {
        text +=
            "; widened by the +-" + Percent(kSameBand) + " band within which sides are the same";
    }
    return text;
}

VerdictText SayVerdict(const Comparison& c, const std::string& base, const std::string& side)
{
    VerdictText text;
    text.headline = Headline(c, base, side);
    Interval raw = {c.ratio, c.low, c.high, c.rawVerdict};
    text.figures.push_back(Figure("raw times", raw, FigureWord(c.rawVerdict), base, side));
    if (c.machine == Machine::Unknown) {
        text.figures.push_back({"the machine (in memory)", NoControl(c, base, side), "", ""});
    } else {
        text.figures.push_back(
            Figure("the machine (in memory)", c.memory, MachineWord(c), base, side));
        text.figures.push_back(Figure("the driver (on screen / in memory)", c.relative,
                                      FigureWord(c.relative.verdict), base, side));
    }
    const Resolves& r = c.resolves;
    text.figures.push_back({"these runs would call", ResolvesText(r, side), "", ""});
    std::string limit = LimitText(r.slowerLimit, c.machine, r.sameBandSlower);
    const std::string fasterLimit = LimitText(r.fasterLimit, c.machine, r.sameBandFaster);
    if (fasterLimit != limit) {
        limit = "slower: " + limit + "; faster: " + fasterLimit;
    }
    if (c.allowance > 0) {
        limit += ", assuming runs of one build differ by up to " + Percent(c.allowance);
    }
    text.figures.push_back({"limited by", limit, "", ""});
    text.figures.push_back({"plan", PlanText(c.plan, kPlanTarget, base), "", ""});
    text.next = WhatToDoNext(c);
    return text;
}

std::vector<std::string> VerdictLines(const VerdictText& text, const std::string& indent)
{
    std::size_t label = 0;
    std::size_t ratio = 0;
    std::size_t interval = 0;
    for (const VerdictFigure& f : text.figures) {
        label = std::max(label, f.label.size());
        if (!f.interval.empty()) {
            ratio = std::max(ratio, f.ratio.size());
            interval = std::max(interval, f.interval.size());
        }
    }
    std::vector<std::string> lines = {text.headline};
    for (const VerdictFigure& f : text.figures) {
        std::string line =
            indent + f.label + std::string(label - f.label.size() + 2, ' ') + f.ratio;
        if (!f.interval.empty()) {
            line += std::string(ratio - f.ratio.size() + 2, ' ') + f.interval +
                    std::string(interval - f.interval.size() + 2, ' ') + f.word;
        }
        lines.push_back(line);
    }
    lines.push_back(indent + "next: " + text.next);
    return lines;
}
