// The sampler against a simulated Zolvik: every recorded sample must be one true pass, at
// every pass length, with back-to-back passes, repaints, late resets, a screen that lags and
// a window that is minimized; and it must not look while passes draw.
#include "sampling/sampling.h"
#include "sampling/schedule.h"
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

Sampled SampleProgram(SimulatedProgram& program, long samples, double patienceMs = 300000,
                      double controlMs = 0)
{
    SimulatedRun run{program, 0, {}, {}, controlMs, {}};
    run.clock = 1000 + program.firstTick;
    Sampled out;
    SessionLimits limits;
    limits.samples = samples;
    limits.patienceMs = patienceMs;
    const double start = run.clock;
    out.result = RunSession(run.Port(), limits, out.tracker);
    out.elapsed = run.clock - start;
    out.check = CheckRun(program, out.result, run.trace, start, run.controls);
    out.said = run.said;
    return out;
}

void ExpectNoWrongSample(const Sampled& out)
{
    EXPECT_EQ(out.check.wrong, 0u) << out.check.firstWrong;
    EXPECT_EQ(out.check.duplicated, 0u);
    EXPECT_EQ(out.check.whileMinimized, 0u);
}

// Pass lengths from 0.1 ms to 10 s, evenly spaced on a log scale, and closely around the
// seams of the schedule: 250 ms, where looks around a pass give way to probes, and the 500 ms
// timer, beyond which passes run back to back.
std::vector<double> SweptLengths()
{
    std::vector<double> lengths;
    constexpr int kSteps = 32;
    for (int i = 0; i < kSteps; ++i) {
        lengths.push_back(0.1 * std::pow(1e5, static_cast<double>(i) / (kSteps - 1)));
    }
    for (double seam : {250.0, 500.0}) {
        for (double offset : {-30.0, -15.0, -5.0, 0.0, 5.0, 15.0, 30.0}) {
            lengths.push_back(seam + offset);
        }
    }
    std::sort(lengths.begin(), lengths.end());
    return lengths;
}

} // namespace

// Every pass length: all samples true, few drops, about one pass's time a sample, and at
// most one look inside a pass's timed lines a sample. Passes wander by 8 % (a quiet machine);
// by 20 % (as Wine's do on a busy one) the same must hold less tightly. The tables are printed.
TEST(ReportSampling, EveryPassLengthGivesTrueSamplesWithFewDropsAndLooksOutsideThePasses)
{
    for (double wander : {0.08, 0.2}) {
        const bool quiet = wander < 0.1;
        std::printf("passes wandering by %.0f %%:\n| pass ms | lag ms | samples | dropped | looks "
                    "a sample | inside a pass a sample | time a sample / max(timer, pass) |\n"
                    "|---|---|---|---|---|---|---|\n",
                    wander * 100);
        double worstDrops = 0;
        double worstInside = 0;
        for (double passMs : SweptLengths()) {
            for (double lagMs : {0.0, 50.0}) {
                SimulatedProgram program;
                program.duration =
                    Wandering(passMs, wander, static_cast<unsigned>(passMs * 10) + 1);
                program.clearMs = passMs * 0.05;
                program.screenLagMs = lagMs;
                const long wanted = passMs > 1000 ? 12 : 40;
                const Sampled out = SampleProgram(program, wanted);
                ExpectNoWrongSample(out);
                ASSERT_EQ(static_cast<long>(out.result.samples.size()), wanted) << passMs;
                const double drops = static_cast<double>(TotalDrops(out.tracker));
                const double dropShare = drops / (wanted + drops);
                const double perSample = std::max(kTimerPeriodMs, passMs * 1.05);
                const double inPasses = static_cast<double>(out.check.looksInTimedLines) / wanted;
                std::printf("| %.4g | %.0f | %ld | %.0f | %.2f | %.2f | %.2f |\n", passMs, lagMs,
                            wanted, drops, static_cast<double>(out.check.looks) / wanted, inPasses,
                            out.elapsed / wanted / perSample);
                worstDrops = std::max(worstDrops, dropShare);
                worstInside = std::max(worstInside, inPasses);
                EXPECT_LE(dropShare, quiet ? 0.05 : 0.1) << passMs << " ms, lag " << lagMs;
                // At most one a sample, and one more while the run finds the program's rhythm.
                EXPECT_LE(inPasses, quiet ? 1 + 1.0 / wanted : 1.25)
                    << passMs << " ms, lag " << lagMs;
                EXPECT_LT(out.elapsed / wanted, 1.35 * perSample) << passMs << " ms, lag " << lagMs;
            }
        }
        std::printf("worst: %.1f %% dropped, %.2f looks inside a pass a sample\n", 100 * worstDrops,
                    worstInside);
    }
}

// The control drawn by the sampler itself, as long as the program's pass (software drawing,
// as on Wine) or far shorter (a slow driver): never beside a recorded pass, and the run's
// samples all true and hardly slower to gather. Where passes leave the program idle between
// ticks, each pass has a control pass of its own, drawn right after it; elsewhere spells
// before the resets. Printed: how many of each, and the control's time over the passes'.
TEST(ReportSampling, ControlsNeverOverlapARecordedPass)
{
    std::printf("| pass ms | control ms | samples | paired with a pass | in spells | dropped | "
                "control time / pass time | time a sample / max(timer, pass) |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (double passMs : {2.0, 120.0, 300.0, 450.0, 700.0, 3000.0}) {
        for (double controlShare : {4.0, 1.0, 0.01}) {
            SimulatedProgram program;
            program.duration = Wandering(passMs, 0.08, 3);
            program.clearMs = passMs * 0.05;
            program.screenLagMs = 50;
            const long wanted = passMs > 1000 ? 16 : 40;
            const double controlMs = passMs * controlShare;
            const Sampled out = SampleProgram(program, wanted, 300000, controlMs);
            ExpectNoWrongSample(out);
            ASSERT_EQ(static_cast<long>(out.result.samples.size()), wanted);
            EXPECT_EQ(out.check.besideControl, 0u) << passMs << " ms, control " << controlMs;
            const std::size_t controls = out.result.controls.size();
            std::size_t paired = 0;
            std::size_t lastPaired = 0;
            for (const Sample& control : out.result.controls) {
                if (control.pass > 0) {
                    EXPECT_GT(control.pass, lastPaired) << "one control a pass, in order";
                    lastPaired = control.pass;
                    ++paired;
                }
            }
            double passTime = 0;
            for (const SimulatedPass& pass : program.passes) {
                passTime += pass.duration;
            }
            const double drops = static_cast<double>(TotalDrops(out.tracker));
            const double perSample = std::max(kTimerPeriodMs, passMs * 1.05);
            const double controlTime = static_cast<double>(controls) * controlMs;
            std::printf("| %.0f | %.4g | %ld | %zu | %zu | %.0f | %.2f | %.2f |\n", passMs,
                        controlMs, wanted, paired, controls - paired, drops, controlTime / passTime,
                        out.elapsed / wanted / perSample);
            if (passMs <= 120 && controlShare <= 1) {
                // Idle time between ticks: (almost) every pass has its own control pass.
                EXPECT_GE(paired, static_cast<std::size_t>(0.8 * wanted)) << passMs;
            } else if (controlShare <= 1) {
                // One spell before every reset, a reset every eight passes.
                EXPECT_GE(controls, static_cast<std::size_t>(wanted / kPassesPerReset));
            }
            // The control costs the companion at most twice the program's passes.
            EXPECT_LE(controlTime, 2 * passTime) << passMs << " ms, control " << controlMs;
            EXPECT_LE(controlTime, 0.2 * out.elapsed + controlMs);
            EXPECT_LE(drops / (wanted + drops), 0.05);
            EXPECT_LT(out.elapsed / wanted, 1.5 * perSample);
            for (std::size_t i = 1; i < controls; ++i) {
                EXPECT_GE(out.result.controls[i].seconds, out.result.controls[i - 1].seconds);
            }
        }
    }
}

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

// A program let run for a few milliseconds in every second, as a machine starved by its
// neighbours or a driver that holds the CPU: every answer waits for its next waking moment,
// and so does the flush that puts its drawing on the screen. Its passes come a second or more
// apart; the sampler must still keep most of them, and only true ones. Printed: kept and
// dropped passes, and the time a sample took.
TEST(ReportSampling, AProgramThatWakesOnceASecondStillGivesItsPasses)
{
    struct Starved {
        const char* what;
        double passMs;
        double flushMs;
        double dropsPerKept; // a pass shown a waking moment late cannot be told from two
    };
    const Starved cases[] = {
        {"passes and flushes within one waking moment", 3, 0.3, 0.25},
        {"the screen a waking moment late now and then", 3, 1.0, 1},
        {"every pass over two waking moments (passes of a second)", 7, 0.3, 0.25},
    };
    std::printf(
        "| starved program | awake from | kept | dropped | s a sample |\n|---|---|---|---|---|\n");
    for (const Starved& c : cases) {
        for (double from : {0.0, 333.0, 777.0}) {
            SimulatedProgram program;
            program.duration = Wandering(c.passMs, 0.15, static_cast<unsigned>(from) + 9);
            program.clearMs = 0.3;
            program.handlingMs = 0.3;
            program.flushMs = c.flushMs;
            program.awakeMs = 5;
            program.awakePeriodMs = 1000;
            program.awakeFrom = from;
            const long wanted = 12;
            const Sampled out = SampleProgram(program, wanted, 60000);
            ExpectNoWrongSample(out);
            const std::size_t drops = TotalDrops(out.tracker);
            std::printf("| %s | %.0f ms | %zu | %zu | %.2f |\n", c.what, from,
                        out.result.samples.size(), drops,
                        out.elapsed / 1000 / std::max<double>(1, out.result.samples.size()));
            EXPECT_EQ(out.result.end, SessionEnd::Done) << c.what << ", " << from;
            EXPECT_EQ(out.result.samples.size(), static_cast<std::size_t>(wanted));
            EXPECT_LE(static_cast<double>(drops), c.dropsPerKept * wanted)
                << c.what << ", " << from;
        }
    }
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

// Ctrl+C ends a run at its next step with what it sampled, whether the program draws or hangs.
TEST(ReportSampling, AStopEndsTheRunKeepingItsSamples)
{
    SimulatedProgram drawing;
    drawing.duration = Wandering(2, 0.05, 1);
    SimulatedRun run{drawing, 1000 + drawing.firstTick, {}, {}, 0, {}};
    const double start = run.clock;
    ProgramPort port = run.Port();
    port.stopped = [&run, start] { return run.clock - start > 6000; };
    PassTracker tracker;
    SessionLimits limits;
    limits.samples = 100;
    const SessionResult stopped = RunSession(port, limits, tracker);
    EXPECT_EQ(stopped.end, SessionEnd::Stopped);
    EXPECT_GE(stopped.samples.size(), 5u);
    EXPECT_LT(stopped.samples.size(), 100u);
    EXPECT_LT(run.clock - start, 6000 + 1000); // within a step of the stop
    const RunCheck check = CheckRun(drawing, stopped, run.trace, start);
    EXPECT_EQ(check.wrong, 0u) << check.firstWrong;

    // A hung program never answers the reset: the stop still ends the wait, not the patience.
    SimulatedProgram hung;
    hung.duration = Wandering(2, 0.05, 1);
    hung.hung = true;
    SimulatedRun waiting{hung, 1000 + hung.firstTick, {}, {}, 0, {}};
    const double from = waiting.clock;
    ProgramPort hungPort = waiting.Port();
    hungPort.stopped = [&waiting, from] { return waiting.clock - from > 3000; };
    PassTracker hungTracker;
    const SessionResult ended = RunSession(hungPort, limits, hungTracker);
    EXPECT_EQ(ended.end, SessionEnd::Stopped);
    EXPECT_LT(waiting.clock - from, 3000 + 16000 + 1000); // the stop, and at most the last wait
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
