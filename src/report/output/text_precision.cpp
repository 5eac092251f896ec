// Precision in words: each figure's noise level by level, the plan for a target and where a
// recording for a precision stands.
#include "output/text.h"

#include <cmath>
#include <cstdio>

namespace
{

// A spread in logarithms as the per cent it amounts to, near enough for small ones.
std::string Spread(double logSpread)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.1f %%", (std::exp(logSpread) - 1) * 100);
    return text;
}

std::string LevelLine(const char* label, const LevelNoise& noise)
{
    std::string line = std::string(label) + "inside a run " + Spread(noise.withinRun) +
                       " (a pass " + Spread(noise.perPass) + ")";
    if (noise.runs < 2) {
        return line + ", between runs: not yet (one run)";
    }
    return line + ", runs apart " + Spread(noise.spread) + ", between runs " +
           Spread(noise.betweenRuns);
}

std::string Minutes(double minutes)
{
    char text[40];
    if (minutes < 1.5) {
        std::snprintf(text, sizeof text, "%.0f s", std::ceil(minutes * 60));
    } else {
        std::snprintf(text, sizeof text, "%.0f minutes", std::ceil(minutes));
    }
    return text;
}

std::string Percent1(double fraction)
{
    char text[40];
    std::snprintf(text, sizeof text, "+-%.1f %%", fraction * 100);
    return text;
}

} // namespace

std::vector<std::string> NoiseLines(const SideNoise& noise, const std::string& indent)
{
    std::vector<std::string> lines = {indent + "noise of " + std::to_string(noise.raw.runs) +
                                      (noise.raw.runs == 1 ? " run" : " runs") +
                                      " (standard deviations):"};
    lines.push_back(indent + LevelLine("  raw times                ", noise.raw));
    if (noise.controlled) {
        lines.push_back(indent + LevelLine("  the machine (in memory)  ", noise.memory));
        lines.push_back(indent + LevelLine("  on screen / in memory    ", noise.relative));
    }
    char text[200];
    std::snprintf(text, sizeof text, "  a pass takes %.2f s, a run of %.0f passes %.0f s",
                  noise.secondsPerPass, noise.passesPerRun,
                  noise.secondsPerPass * noise.passesPerRun);
    std::string last = indent + text;
    if (noise.pauseSeconds >= 0) {
        std::snprintf(text, sizeof text, ", %.0f s between runs", noise.pauseSeconds);
        last += text;
    }
    lines.push_back(last);
    return lines;
}

std::string PlanText(const Plan& plan, double target, const std::string& against)
{
    char text[240];
    const std::string goal = "to resolve " + Percent1(target) + " against " + against + ": ";
    if (!plan.measured) {
        return goal + "first record two runs or more, each with an interval of its own (21 "
                      "passes or more, and three control spells), to measure how far runs differ";
    }
    if (!plan.possible) {
        return goal + "not within " + std::to_string(kMostPlannedRuns) +
               " runs a side: the spread between runs alone allows " + Percent1(plan.floor) +
               " at best";
    }
    std::snprintf(text, sizeof text, "%zu runs of %zu passes a side, about %s a side (%s, %s)",
                  plan.runs, plan.passes, Minutes(plan.minutes).c_str(),
                  plan.usesRelative ? "on screen / in memory" : "raw times",
                  Percent1(plan.expected).c_str());
    return goal + text;
}

std::string StandText(const PrecisionStand& stand, double minutesARun)
{
    const std::string runs = std::to_string(stand.runs) + (stand.runs == 1 ? " run" : " runs");
    if (stand.reached <= 0) {
        return "precision: after " + runs + ", at least " +
               std::to_string(kPilotRuns - stand.runs) + " more to measure how far runs differ";
    }
    std::string text = "precision: " + Percent1(stand.reached) + " after " + runs;
    if (stand.needed == 0) {
        return text + "; " + std::to_string(kPilotRuns - stand.runs) +
               " more before the runs needed are known";
    }
    if (stand.done) {
        return text + (stand.capped ? "; stopped at the most runs allowed (--runs), short of the "
                                      "target"
                                    : "; done");
    }
    const std::size_t more = stand.needed - stand.runs;
    return text + "; about " + std::to_string(more) + (more == 1 ? " more run, " : " more runs, ") +
           Minutes(minutesARun * static_cast<double>(more)) +
           (stand.capped ? ", the most --runs allows: it will fall short of the target" : "");
}
