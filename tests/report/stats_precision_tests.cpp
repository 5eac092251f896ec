// Precision: the noise levels a side's runs show, the plan for a target, and the recording
// that stops at a precision, simulated on drifting, correlated runs: its intervals must still
// hold the truth at the moment it stops.
#include "commands/commands.h"
#include "output/text.h"
#include "stats/precision.h"
#include "stats/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace
{

// How one side's runs are made: every pass has its control pass drawn right after it, and the
// machine under both drifts within a run and wanders from run to run (which the pair cancels);
// what the pair does not cancel is the driver's run-to-run level, independent or drifting.
struct RunMaker {
    double driver = 1.0;
    double levelSpread = 0.02; // of on screen / in memory from run to run
    double levelDrift = 0;     // lag-1 correlation of that level from one run to the next
    double passNoise = 0.03;
    std::size_t passes = 24;
};

struct Recorder {
    std::mt19937_64 random;
    double machine = 0; // wanders from run to run: a random walk
    double level = 0;
    Run Make(const RunMaker& maker, int number)
    {
        std::normal_distribution<double> normal(0, 1);
        machine += 0.1 * normal(random);
        level = maker.levelDrift * level + std::sqrt(1 - maker.levelDrift * maker.levelDrift) *
                                               maker.levelSpread * normal(random);
        Run run = NumberedRun(number);
        double drift = 0;
        for (std::size_t i = 1; i <= maker.passes; ++i) {
            drift = 0.9 * drift + 0.04 * normal(random);
            const double both = std::exp(machine + drift);
            const double seconds = 0.56 * static_cast<double>(i);
            run.samples.push_back(
                {i, seconds,
                 2.6 * maker.driver * both * std::exp(level + maker.passNoise * normal(random))});
            run.controls.push_back(
                {i, seconds, 2.4 * both * std::exp(maker.passNoise * normal(random)), i});
        }
        return run;
    }
};

// One side recorded until the stopping rule says: Stein's (the product's), or the naive rule
// that stops as soon as the runs so far look precise enough.
std::vector<Run> RecordSide(Recorder& recorder, const RunMaker& maker, double target,
                            std::size_t most, bool naive)
{
    std::vector<Run> runs;
    while (runs.size() < most) {
        runs.push_back(recorder.Make(maker, static_cast<int>(runs.size() + 1)));
        if (!naive) {
            runs.back().precision = target * 100;
            runs.back().pilot = runs.size() <= kPilotRuns;
        }
        if (!naive && StandAfter(runs, target, most).done) {
            break;
        }
        if (naive && runs.size() >= kPilotRuns) {
            const double variance = SpreadOfRuns(FiguresOf(runs, RelativeFigure));
            if (TwoSideHalf(variance, runs.size(), static_cast<double>(runs.size() - 1)) <=
                std::log(1 + target)) {
                break;
            }
        }
    }
    return runs;
}

struct Coverage {
    double held = 0;
    double runs = 0;
    double same = 0; // called "the same"
};

Coverage Simulate(const RunMaker& a, const RunMaker& b, double target, bool naive, int seed)
{
    constexpr int kRecordings = 1000;
    Recorder recorder{std::mt19937_64(static_cast<unsigned long>(seed))};
    Coverage c;
    const double truth = b.driver / a.driver;
    for (int i = 0; i < kRecordings; ++i) {
        const std::vector<Run> sideA = RecordSide(recorder, a, target, kPrecisionRuns, naive);
        const std::vector<Run> sideB = RecordSide(recorder, b, target, kPrecisionRuns, naive);
        const Comparison comparison = CompareRuns(sideA, sideB);
        c.held += comparison.relative.low <= truth && truth <= comparison.relative.high;
        c.runs += static_cast<double>(sideA.size() + sideB.size()) / 2;
        c.same += comparison.verdict == Verdict::Same;
    }
    c.held /= kRecordings;
    c.runs /= kRecordings;
    c.same /= kRecordings;
    return c;
}

} // namespace

// The coverage of the comparison's 95 % interval for on screen / in memory when both sides
// were recorded with --precision, against stopping as soon as the runs look precise enough.
TEST(ReportPrecision, RecordingToAPrecisionKeepsItsIntervalsHonest)
{
    struct Case {
        const char* name;
        RunMaker a;
        RunMaker b;
        double target;
    };
    RunMaker quiet;
    RunMaker drifting = quiet;
    drifting.levelDrift = 0.5;
    RunMaker slower = quiet;
    slower.driver = 1.15;
    RunMaker wide = quiet;
    wide.levelSpread = 0.06;
    const Case cases[] = {
        {"same build, runs independent, +-5 %", quiet, quiet, 0.05},
        {"same build, level drifting (lag-1 0.5), +-5 %", drifting, drifting, 0.05},
        {"B 15 % slower, +-5 %", quiet, slower, 0.05},
        {"same build, wide runs, capped at 10, +-5 %", wide, wide, 0.05}};
    std::printf("%-46s %-9s %8s %6s %6s\n", "case (1,000 recordings a side)", "rule", "coverage",
                "runs", "same");
    int seed = 1;
    for (const Case& c : cases) {
        const Coverage stein = Simulate(c.a, c.b, c.target, false, seed);
        std::printf("%-46s %-9s %8.3f %6.2f %6.3f\n", c.name, "pilot", stein.held, stein.runs,
                    stein.same);
        if (seed == 1) {
            const Coverage naive = Simulate(c.a, c.b, c.target, true, seed);
            std::printf("%-46s %-9s %8.3f %6.2f %6.3f\n", "", "stop-soon", naive.held, naive.runs,
                        naive.same);
        }
        ++seed;
        if (c.a.levelDrift == 0) {
            // Runs that drift from one to the next are not independent units, which no rule
            // over runs can mend; the manual says to alternate the sides.
            EXPECT_GE(stein.held, 0.93) << c.name;
        }
        EXPECT_GE(stein.runs, static_cast<double>(kPilotRuns)) << c.name;
    }
}

// The noise a side's runs show, level by level, against what the runs were made with.
TEST(ReportPrecision, NoiseLevelsAndThePlan)
{
    Recorder recorder{std::mt19937_64(7)};
    RunMaker maker;
    maker.levelSpread = 0.03;
    maker.passes = 120;
    std::vector<::Run> runs;
    for (int i = 1; i <= 12; ++i) {
        runs.push_back(recorder.Make(maker, i));
        // Runs 120 passes long, started 2 minutes apart: 67 s of passes, 53 s of pause.
        char started[32];
        std::snprintf(started, sizeof started, "2026-12-10T12:%02d:00Z", 2 * i);
        runs.back().started = started;
    }
    const SideNoise noise = MeasureNoise(runs);
    ASSERT_TRUE(noise.controlled && noise.relative.measured);
    // The machine wanders by 10 % a run, which on screen / in memory cancels.
    EXPECT_GT(noise.raw.betweenRuns, 0.05);
    EXPECT_GT(noise.memory.betweenRuns, 0.05);
    EXPECT_NEAR(noise.relative.betweenRuns, 0.03, 0.015);
    EXPECT_LT(noise.relative.withinRun, noise.relative.betweenRuns);
    EXPECT_NEAR(noise.secondsPerPass, 0.56, 1e-9);
    EXPECT_NEAR(noise.pauseSeconds, 120 - 0.56 * 120, 1e-6);

    // The plan reaches its target at the least cost among the lengths it may choose: one run
    // fewer of its length would not, and runs of any other length would cost more.
    const double target = 0.03;
    const Plan plan = PlanFor(target, noise, noise, -1);
    ASSERT_TRUE(plan.possible && plan.usesRelative);
    EXPECT_LE(plan.expected, target);
    const double freedom = static_cast<double>(2 * (noise.relative.runs - 1));
    const auto variance = [&](double passes) {
        return noise.relative.betweenRuns * noise.relative.betweenRuns +
               noise.relative.perPass * noise.relative.perPass / passes;
    };
    const double goal = std::log(1 + target);
    if (plan.runs > kPilotRuns) {
        EXPECT_GT(TwoSideHalf(variance(static_cast<double>(plan.passes)), plan.runs - 1, freedom),
                  goal);
    }
    const double cost = plan.minutes * 60;
    for (const std::size_t passes : kPlannedPasses) {
        for (std::size_t r = kPilotRuns; r <= kMostPlannedRuns; ++r) {
            if (TwoSideHalf(variance(static_cast<double>(passes)), r, freedom) <= goal) {
                EXPECT_GE(static_cast<double>(r * passes) * 0.56 +
                              static_cast<double>(r - 1) * noise.pauseSeconds,
                          cost - 1e-6);
                break;
            }
        }
    }
    // Below what the spread between runs allows with the most runs, there is no plan, and the
    // floor it states is that limit.
    const Plan none = PlanFor(plan.floor / 2, noise, noise, -1);
    EXPECT_FALSE(none.possible);
    EXPECT_NEAR(none.floor, plan.floor, 1e-12);
    // One run shows nothing of how runs differ: nothing to plan from.
    EXPECT_FALSE(PlanFor(target, MeasureNoise({runs[0]}), noise, -1).measured);
}

// The recording loop: the pilot's runs first, then as many as its spread asks for, each run
// marked so that a comparison judges the side by its pilot; noise after each run from the
// second, and the plan at the end.
TEST(ReportPrecision, TheLoopTakesThePilotsRunsAndNoMore)
{
    Recorder recorder{std::mt19937_64(11)};
    RunMaker maker;
    maker.levelSpread = 0.04;
    Options options;
    options.precision = 5;
    options.runs = 10;
    options.pause = 1;
    std::vector<::Run> recorded;
    int pauses = 0;
    RecordingPort port;
    port.record = [&](int index, int, bool append, ::Run& run) {
        EXPECT_EQ(append, index > 1);
        const ::Run made = recorder.Make(maker, index);
        run.number = index;
        run.samples = made.samples;
        run.controls = made.controls;
        recorded.push_back(run);
        return 0;
    };
    port.pause = [&](double seconds, int next, int) {
        EXPECT_EQ(seconds, 1);
        EXPECT_EQ(next, static_cast<int>(recorded.size()) + 1);
        ++pauses;
        return 0;
    };
    std::FILE* out = std::tmpfile();
    ASSERT_EQ(RecordRuns(options, port, out), 0);
    // What the pilot's spread asks for, worked out here from its three run figures.
    const std::vector<::Run> pilot(recorded.begin(), recorded.begin() + 3);
    const double t = 2.7764451051977987; // scipy.stats.t.ppf(0.975, 4): two pilots of three
    const double needed = std::ceil(2 * SpreadOfRuns(FiguresOf(pilot, RelativeFigure)) * t * t /
                                    std::pow(std::log(1.05), 2));
    EXPECT_EQ(recorded.size(), static_cast<std::size_t>(std::min(std::max(needed, 3.0), 10.0)));
    EXPECT_EQ(pauses, static_cast<int>(recorded.size()) - 1);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(recorded[i].precision, 5);
        EXPECT_EQ(recorded[i].pilot, i < 3);
    }
    std::rewind(out);
    std::string text;
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) {
        text += static_cast<char>(c);
    }
    std::fclose(out);
    EXPECT_NE(text.find("precision: after 1 run, at least 2 more"), std::string::npos) << text;
    EXPECT_NE(text.find("noise of 2 runs"), std::string::npos) << text;
    EXPECT_NE(text.find("after 3 runs; "), std::string::npos) << text;
    EXPECT_NE(text.find("plan: to resolve +-5.0 % against a side recorded alike"),
              std::string::npos)
        << text;

    // Where the pilot asks for more runs than allowed, it says so as soon as it knows.
    PrecisionStand capped;
    capped.runs = 3;
    capped.needed = 10;
    capped.reached = 0.26;
    capped.capped = true;
    EXPECT_EQ(StandText(capped, 0.5),
              "precision: +-26.0 % after 3 runs; about 7 more runs, 4 minutes, the most --runs "
              "allows: it will fall short of the target");
}
