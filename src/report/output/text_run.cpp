#include "output/text.h"
#include "stats/control.h"

#include <cstdio>

const char* DropWords(DropReason reason)
{
    switch (reason) {
    case DropReason::TwoPasses:
        return "the looks around a change left room for two passes";
    case DropReason::Implausible:
        return "the readout changed in a way no single pass explains";
    case DropReason::Minimized:
        return "Zolvik was minimized";
    case DropReason::Hidden:
        return "Zolvik's window was hidden";
    case DropReason::OffScreen:
        return "Zolvik's drawing area was not wholly on the screen";
    case DropReason::Covered:
        return "a window lay over Zolvik's readout";
    case DropReason::Undecodable:
        return "the readout could not be read";
    case DropReason::kCount:
        break;
    }
    return "";
}

std::string RunWarningWords(const RunWarning& w)
{
    char text[300];
    switch (w.kind) {
    case RunWarning::TooFewSamples:
        std::snprintf(text, sizeof text, "too few samples for an interval: %.0f or more are needed",
                      w.a);
        return text;
    case RunWarning::Drifted:
        std::snprintf(text, sizeof text,
                      "drifted: the first half's median %.6f ms and the second half's %.6f ms "
                      "disagree beyond their intervals (ratio %.3f)",
                      w.a, w.b, w.c);
        return text;
    case RunWarning::Unstable:
        std::snprintf(text, sizeof text,
                      "unstable: the spread of its passes (robust CV %.0f %%) is far above the "
                      "usual (under %.0f %%)",
                      w.a * 100, w.b * 100);
        return text;
    case RunWarning::ManyDropped:
        std::snprintf(text, sizeof text,
                      "%.0f of %.0f passes were dropped: the run says less than its samples "
                      "suggest (the reasons are with its sampling figures)",
                      w.a, w.b);
        return text;
    case RunWarning::BackToBack:
        return "passes ran back to back: each took longer than the 500 ms timer, so one pass in "
               "nine, drawn while the history was reset, went unseen";
    case RunWarning::AreaChanged:
        return "the drawing area changed during the run: its passes drew different amounts of "
               "work";
    case RunWarning::Interrupted:
        return "interrupted: stopped before its end (Ctrl+C or its console closed)";
    case RunWarning::OtherEnvironment:
        return "recorded in another environment than the record's: its figures are not "
               "comparable with the other runs'";
    }
    return "";
}

void PrintRunReport(std::FILE* out, const std::string& title, const RunReport& report)
{
    const Summary& s = report.summary;
    std::fprintf(out,
                 "%s: %zu samples (ms)\n"
                 "  minimum %12.6f\n  median  %12.6f\n  mean    %12.6f\n"
                 "  p95     %12.6f\n  maximum %12.6f\n  stddev  %12.6f\n",
                 title.c_str(), s.count, s.minimum, s.median, s.mean, s.p95, s.maximum, s.stddev);
    const MedianEstimate& e = report.estimate;
    if (e.freedom > 0) {
        std::fprintf(out, "  median 95 %% interval %.6f-%.6f (%zu blocks of %zu passes)\n", e.low,
                     e.high, e.blocks, e.blockLength);
    }
    std::fprintf(out, "  dropped %zu\n", report.dropped);
    for (const RunWarning& warning : report.warnings) {
        std::fprintf(out, "  warning: %s\n", RunWarningWords(warning).c_str());
    }
}

void PrintSamplingFacts(std::FILE* out, const Run& run)
{
    const SamplingFacts& f = run.sampling;
    if (!f.known) {
        return;
    }
    const double samples = run.samples.empty() ? 1 : static_cast<double>(run.samples.size());
    std::fprintf(out,
                 "  looks %zu (%.2f a sample, %.2f inside a pass a sample), probes %zu, "
                 "resets %zu\n",
                 f.looks, static_cast<double>(f.looks) / samples,
                 static_cast<double>(f.looksInPasses) / samples, f.probes, f.resets);
    std::fprintf(out, "  each duration is exact to %.7f ms\n", f.errorBoundMs);
    for (const auto& drop : f.drops) {
        std::fprintf(out, "  dropped %zu: %s\n", drop.second, DropWords(drop.first));
    }
    if (f.backToBack) {
        std::fprintf(out, "  warning: %s\n", RunWarningWords({RunWarning::BackToBack}).c_str());
    }
}

void PrintControl(std::FILE* out, const ControlEstimate& e)
{
    if (e.count == 0) {
        return;
    }
    std::fprintf(out, "  control, the same grid drawn in memory: %zu passes, median %.6f ms\n",
                 e.count, e.median);
    std::fprintf(out, "  on screen: %.2f times as long as in memory", e.ratio);
    if (e.pairs > 0 && e.high > 0) {
        std::fprintf(out,
                     " (95 %% interval %.2f-%.2f, %zu blocks of %zu passes and their control)\n",
                     e.low, e.high, e.blocks, e.pairs / e.blocks);
    } else if (e.pairs > 0) {
        std::fprintf(out,
                     " (%zu passes with a control pass of their own, too few for an interval: "
                     "%zu or more are needed)\n",
                     e.pairs, kMinBlocks * kMinBlockLength);
    } else if (e.high > 0) {
        std::fprintf(out, " (95 %% interval %.2f-%.2f, %zu blocks)\n", e.low, e.high, e.blocks);
    } else {
        std::fprintf(out, " (too few control spells for an interval)\n");
    }
}
