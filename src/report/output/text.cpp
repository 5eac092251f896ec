#include "output/output.h"
#include "stats/machine.h"

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
    for (const std::string& warning : report.warnings) {
        std::fprintf(out, "  warning: %s\n", warning.c_str());
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
        std::fprintf(out, "  dropped %zu: %s\n", drop.second, drop.first.c_str());
    }
    for (const std::string& note : f.notes) {
        std::fprintf(out, "  warning: %s\n", note.c_str());
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
