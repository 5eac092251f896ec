// The sampler against a simulated Zolvik: every recorded sample must be one true pass, at
// every pass length, with back-to-back passes, repaints, late resets, a screen that lags and
// a window that is minimized; and it must not look while passes draw.
#include "sampling/sampling.h"
#include "sampling/session.h"
#include "simulated_program.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <random>

namespace
{

// Passes of about `ms` that wander from pass to pass, as real ones do.
std::function<double(std::size_t, double)> Wandering(double ms, double spread, unsigned seed)
{
    auto random = std::make_shared<std::mt19937>(seed);
    return [=](std::size_t, double) {
        std::lognormal_distribution<double> factor(0, spread);
        return ms * factor(*random);
    };
}

struct Sampled {
    SessionResult result;
    RunCheck check;
    PassTracker tracker;
    double elapsed = 0;
    std::vector<std::string> said;
};

Sampled SampleProgram(SimulatedProgram& program, long samples, double patienceMs = 300000)
{
    SimulatedRun run{program, 0, {}, {}};
    run.clock = 1000 + program.firstTick;
    Sampled out;
    SessionLimits limits;
    limits.samples = samples;
    limits.patienceMs = patienceMs;
    const double start = run.clock;
    out.result = RunSession(run.Port(), limits, out.tracker);
    out.elapsed = run.clock - start;
    out.check = CheckRun(program, out.result, run.trace, start);
    out.said = run.said;
    return out;
}

void ExpectNoWrongSample(const Sampled& out)
{
    EXPECT_EQ(out.check.wrong, 0u) << out.check.firstWrong;
    EXPECT_EQ(out.check.duplicated, 0u);
    EXPECT_EQ(out.check.whileMinimized, 0u);
}

struct Steady {
    double passMs;
    double lagMs;
};

class SteadyPasses : public ::testing::TestWithParam<Steady>
{
};

} // namespace

// The figures the issue asks of a steady program: all samples true, few drops, about one
// pass's time a sample, and at most one look inside a pass's timed lines a sample.
TEST_P(SteadyPasses, EverySampleIsOnePassAndLooksStayOutOfThePasses)
{
    const Steady steady = GetParam();
    for (unsigned seed = 1; seed <= 3; ++seed) {
        SimulatedProgram program;
        program.duration = Wandering(steady.passMs, 0.08, seed);
        program.clearMs = steady.passMs * 0.05;
        program.screenLagMs = steady.lagMs;
        const long wanted = steady.passMs > 1000 ? 12 : 40;
        const Sampled out = SampleProgram(program, wanted);
        ExpectNoWrongSample(out);
        ASSERT_EQ(static_cast<long>(out.result.samples.size()), wanted);
        const double drops = static_cast<double>(TotalDrops(out.tracker));
        const double perSample = std::max(500.0, steady.passMs * 1.05);
        const double inPasses = static_cast<double>(out.check.looksInTimedLines) / wanted;
        std::printf("passes %.0f ms, lag %.0f ms, seed %u: %ld samples, %.0f dropped, "
                    "%.2f looks and %.2f inside a pass a sample, %.2f x the time of a pass\n",
                    steady.passMs, steady.lagMs, seed, wanted, drops,
                    static_cast<double>(out.check.looks) / wanted, inPasses,
                    out.elapsed / wanted / perSample);
        EXPECT_LT(drops / (wanted + drops), 0.05);
        // Where the screen shows a busy window's drawing late (Wine), the look that sees a
        // back-to-back pass waits for it and may fall inside the next pass's lines.
        EXPECT_LE(inPasses, steady.lagMs > 0 && steady.passMs > 500 ? 1.05 : 1.0);
        EXPECT_LT(out.elapsed / wanted, 1.35 * perSample);
    }
}

INSTANTIATE_TEST_SUITE_P(ReportSampling, SteadyPasses,
                         ::testing::Values(Steady{0.1, 0}, Steady{2, 0}, Steady{2, 50},
                                           Steady{300, 0}, Steady{300, 50}, Steady{700, 0},
                                           Steady{700, 50}, Steady{3000, 0}, Steady{3000, 50}),
                         [](const ::testing::TestParamInfo<Steady>& info) {
                             return "pass" + std::to_string(static_cast<int>(info.param.passMs)) +
                                    "ms_lag" + std::to_string(static_cast<int>(info.param.lagMs));
                         });

// A repaint between two ticks runs a pass the timer does not explain: it is recorded or
// dropped, never taken for another pass. (One in the few milliseconds before a tick cannot be
// told from the tick's pass; the figure printed is how often that gave a wrong sample.)
TEST(ReportSampling, RepaintsBetweenTicksNeverGiveAWrongSample)
{
    for (double passMs : {2.0, 300.0, 700.0}) {
        SimulatedProgram program;
        program.duration = Wandering(passMs, 0.05, 7);
        std::mt19937 random(11);
        std::uniform_int_distribution<int> periods(1, 6);
        std::uniform_real_distribution<double> within(60, 440);
        for (double tick = 1007; tick < 200000; tick += 500 * periods(random)) {
            program.repaints.push_back(tick + within(random));
        }
        const Sampled out = SampleProgram(program, 40);
        ExpectNoWrongSample(out);
        EXPECT_EQ(out.result.samples.size(), 40u) << passMs;
    }
    SimulatedProgram anytime;
    anytime.duration = Wandering(2, 0.05, 7);
    std::mt19937 random(12);
    std::uniform_real_distribution<double> gap(1000, 4000);
    for (double at = 1100; at < 400000; at += gap(random)) {
        anytime.repaints.push_back(at);
    }
    const Sampled out = SampleProgram(anytime, 200);
    const std::size_t repaints = std::count_if(anytime.repaints.begin(), anytime.repaints.end(),
                                               [&](double at) { return at < 1007 + out.elapsed; });
    std::printf("repaints at any time: %zu wrong samples of %zu after %zu repaints\n",
                out.check.wrong, out.result.samples.size(), repaints);
    EXPECT_LT(static_cast<double>(out.check.wrong), 0.15 * static_cast<double>(repaints));
}

// A starved program: passes of seconds and every message handled slowly, so resets and
// probes are answered late and sometimes not within their time at all.
TEST(ReportSampling, AStarvedProgramWithLateResetsStillGivesTrueSamples)
{
    SimulatedProgram program;
    program.duration = Wandering(3000, 0.3, 5);
    program.handlingMs = 900;
    program.replyLatencyMs = 40;
    program.screenLagMs = 50;
    const Sampled out = SampleProgram(program, 5);
    ExpectNoWrongSample(out);
    EXPECT_EQ(out.result.samples.size(), 5u);
    EXPECT_EQ(out.result.end, SessionEnd::Done);
    EXPECT_TRUE(out.result.backToBack);
}

// Minimized for seconds: the passes then are not the workload, the run pauses with a line
// that says what to do, and goes on after the restore's repaint.
TEST(ReportSampling, MinimizedSpellsArePausedAndDropped)
{
    for (double passMs : {2.0, 700.0}) {
        SimulatedProgram program;
        program.duration = Wandering(passMs, 0.05, 3);
        program.minimizedSpells = {{4000, 8000}, {12000, 12300}};
        program.repaints = {8000, 12300};
        const Sampled out = SampleProgram(program, 30);
        ExpectNoWrongSample(out);
        EXPECT_EQ(out.result.samples.size(), 30u);
        EXPECT_GE(out.tracker.drops[static_cast<int>(DropReason::Minimized)], 1u);
        EXPECT_NE(std::find(out.said.begin(), out.said.end(),
                            "paused: Zolvik is minimized: restore it to go on"),
                  out.said.end());
    }
}

TEST(ReportSampling, RunsEndWithTheirRowsWhenTheWindowGoesOrHangs)
{
    SimulatedProgram gone;
    gone.duration = Wandering(2, 0.05, 1);
    gone.goneAt = 6000;
    const Sampled goneOut = SampleProgram(gone, 100);
    EXPECT_EQ(goneOut.result.end, SessionEnd::WindowGone);
    EXPECT_GE(goneOut.result.samples.size(), 5u);
    ExpectNoWrongSample(goneOut);

    SimulatedProgram hung;
    hung.duration = Wandering(2, 0.05, 1);
    hung.hung = true;
    const Sampled hungOut = SampleProgram(hung, 10, 20000);
    EXPECT_EQ(hungOut.result.end, SessionEnd::Hung);
    EXPECT_LT(hungOut.elapsed, 20000 + 16000 + 1000); // patience, and the last wait
}

// The readout after k passes is their mean to six decimals; each pass recovered from two
// means is good to (2k - 1) half-units of the last decimal, and is said to be.
TEST(ReportSampling, PassesAreRecoveredFromMeansWithinTheStatedBound)
{
    const double passes[] = {3.1415926, 2.7182818, 1.4142135, 1.7320508,
                             2.2360679, 2.4494897, 2.6457513, 2.8284271};
    PassTracker tracker;
    NoteReset(tracker, 0, 1);
    double sum = 0;
    for (int k = 1; k <= 8; ++k) {
        sum += passes[k - 1];
        Look look;
        look.at = 1 + 500.0 * k;
        look.mean = std::round(sum / k * 1e6) / 1e6;
        Look before = look;
        before.at -= 40;
        before.mean = tracker.shown;
        Observe(tracker, before);
        const Outcome recovered = Observe(tracker, look);
        ASSERT_EQ(recovered.kind, Outcome::Recorded) << k;
        EXPECT_NEAR(recovered.durationMs, passes[k - 1], recovered.errorBoundMs + 1e-12) << k;
        EXPECT_DOUBLE_EQ(recovered.errorBoundMs, (2 * k - 1) * 0.0000005);
    }
    EXPECT_TRUE(ResetDue(tracker));
}
