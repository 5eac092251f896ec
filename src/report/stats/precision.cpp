#include "stats/precision.h"
#include "stats/stats.h"
#include "stats/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// Where nothing says how long a pass takes: the program's 500 ms tick, one pass in nine
// unseen for the resets.
constexpr double kDefaultSecondsPerPass = 0.5 * 9 / 8;
constexpr double kDefaultPause = 60;

double Square(double x)
{
    return x * x;
}

LevelNoise NoiseOf(const std::vector<Run>& runs, RunFigure (*figure)(const Run&))
{
    LevelNoise noise;
    const std::vector<RunFigure> figures = FiguresOf(runs, figure);
    noise.runs = figures.size();
    if (figures.empty()) {
        return noise;
    }
    double within = 0;
    double perPass = 0;
    double mean = 0;
    noise.measured = figures.size() >= 2;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        within += Square(figures[i].standardError);
        perPass += Square(figures[i].standardError) * static_cast<double>(runs[i].samples.size());
        mean += figures[i].logValue;
        noise.measured = noise.measured && figures[i].freedom > 0;
    }
    const double r = static_cast<double>(figures.size());
    noise.withinRun = std::sqrt(within / r);
    noise.perPass = std::sqrt(perPass / r);
    mean /= r;
    if (figures.size() >= 2) {
        double spread = 0;
        for (const RunFigure& f : figures) {
            spread += Square(f.logValue - mean);
        }
        noise.spread = std::sqrt(spread / (r - 1));
        noise.betweenRuns = std::sqrt(std::max(0.0, Square(noise.spread) - within / r));
    }
    return noise;
}

// Seconds since 1970 of "2026-12-10T12:00:00Z"; -1 where it is not that.
double UtcSeconds(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char zone = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &zone) !=
            7 ||
        zone != 'Z' || mo < 1 || mo > 12) {
        return -1;
    }
    // Days from the civil date (Howard Hinnant's algorithm).
    y -= mo <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097 + doe - 719468;
    return static_cast<double>(days) * 86400 + h * 3600 + mi * 60 + s;
}

double RunSeconds(const Run& run)
{
    return run.samples.empty() ? 0 : run.samples.back().seconds;
}

// The pause between runs as their starts show it: the median of each gap less the run before.
double MeasuredPause(const std::vector<Run>& runs)
{
    std::vector<double> gaps;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const double before = UtcSeconds(runs[i - 1].started);
        const double after = UtcSeconds(runs[i].started);
        if (before >= 0 && after >= before) {
            gaps.push_back(std::max(0.0, after - before - RunSeconds(runs[i - 1])));
        }
    }
    return gaps.empty() ? -1 : Median(gaps);
}

// A run's figure's variance at `passes` passes: what stays between runs, and what the passes
// inside a run leave, down with their number. Never less than what the side showed.
double VarianceAt(const LevelNoise& noise, double passes)
{
    return Square(noise.betweenRuns) + Square(noise.perPass) / passes;
}

} // namespace

SideNoise MeasureNoise(const std::vector<Run>& runs)
{
    SideNoise side;
    side.controlled = HasControl(runs);
    side.raw = NoiseOf(runs, ScreenFigure);
    if (side.controlled) {
        side.memory = NoiseOf(runs, MemoryFigure);
        side.relative = NoiseOf(runs, RelativeFigure);
    }
    double passes = 0;
    double seconds = 0;
    for (const Run& run : runs) {
        passes += static_cast<double>(run.samples.size());
        seconds += RunSeconds(run);
    }
    side.passesPerRun = runs.empty() ? 0 : passes / static_cast<double>(runs.size());
    side.secondsPerPass = passes > 0 && seconds > 0 ? seconds / passes : 0;
    side.pauseSeconds = MeasuredPause(runs);
    return side;
}

bool Controlled(const SideNoise& a, const SideNoise& b)
{
    return a.controlled && b.controlled;
}

const LevelNoise& DecidingNoise(const SideNoise& side)
{
    return side.controlled ? side.relative : side.raw;
}

double TwoSideHalf(double variance, std::size_t runs, double freedom)
{
    return TQuantile95(freedom) * std::sqrt(2 * variance / static_cast<double>(runs));
}

Plan PlanFor(double target, const SideNoise& a, const SideNoise& b, double pauseSeconds)
{
    Plan plan;
    plan.usesRelative = Controlled(a, b);
    const LevelNoise& na = plan.usesRelative ? a.relative : a.raw;
    const LevelNoise& nb = plan.usesRelative ? b.relative : b.raw;
    if (!na.measured || !nb.measured) {
        return plan; // the spread between runs is unknown: nothing to plan from
    }
    plan.measured = true;
    // The degrees of freedom two sides judged by their pilots would have: each pilot's, joined.
    const double freedom = static_cast<double>(na.runs + nb.runs - 2);
    const double pause = pauseSeconds >= 0     ? pauseSeconds
                         : a.pauseSeconds >= 0 ? a.pauseSeconds
                                               : kDefaultPause;
    const double perPass = std::max({a.secondsPerPass, b.secondsPerPass, 0.0});
    const double secondsPerPass = perPass > 0 ? perPass : kDefaultSecondsPerPass;
    const double goal = std::log(1 + target);
    plan.floor = std::exp(TQuantile95(freedom) *
                          std::sqrt((Square(na.betweenRuns) + Square(nb.betweenRuns)) /
                                    static_cast<double>(kMostPlannedRuns))) -
                 1;
    double best = INFINITY;
    for (const std::size_t passes : kPlannedPasses) {
        const double p = static_cast<double>(passes);
        const double variance = (VarianceAt(na, p) + VarianceAt(nb, p)) / 2;
        for (std::size_t runs = kPilotRuns; runs <= kMostPlannedRuns; ++runs) {
            const double half = TwoSideHalf(variance, runs, freedom);
            if (half > goal) {
                continue;
            }
            const double seconds = static_cast<double>(runs) * p * secondsPerPass +
                                   static_cast<double>(runs - 1) * pause;
            if (seconds < best) {
                best = seconds;
                plan.possible = true;
                plan.runs = runs;
                plan.passes = passes;
                plan.minutes = seconds / 60;
                plan.expected = std::exp(half) - 1;
            }
            break; // more runs of this length only cost more
        }
    }
    return plan;
}

PrecisionStand StandAfter(const std::vector<Run>& runs, double target, std::size_t most)
{
    PrecisionStand stand;
    stand.runs = runs.size();
    const bool controlled = HasControl(runs);
    const std::vector<RunFigure> figures =
        FiguresOf(runs, controlled ? RelativeFigure : ScreenFigure);
    if (figures.size() >= 2) {
        // The pilot's spread, once it is in; before, what the runs so far show.
        const std::vector<RunFigure> pilot(
            figures.begin(),
            figures.begin() + static_cast<long>(std::min(figures.size(), kPilotRuns)));
        const double variance = SpreadOfRuns(pilot);
        // Two sides alike, each judged by its own pilot, join both pilots' degrees of freedom.
        const double freedom = static_cast<double>(2 * (pilot.size() - 1));
        stand.reached = std::exp(TwoSideHalf(variance, runs.size(), freedom)) - 1;
        if (figures.size() >= kPilotRuns) {
            const double goal = std::log(1 + target);
            const double t = TQuantile95(freedom);
            const double needed = std::ceil(2 * variance * t * t / (goal * goal));
            stand.capped = needed > static_cast<double>(most);
            stand.needed = static_cast<std::size_t>(std::min(
                std::max(needed, static_cast<double>(kPilotRuns)), static_cast<double>(most)));
        }
    }
    stand.done = runs.size() >= most || (stand.needed > 0 && runs.size() >= stand.needed);
    return stand;
}
