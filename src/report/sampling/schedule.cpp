// When to look: just before a pass can start and just after it should have ended, never
// busily while one is drawing; and what to tell a person about what was seen.
#include "sampling/sampling.h"
#include "sampling/schedule.h"

#include <algorithm>

namespace
{

// Passes this short leave the program idle between ticks: a look just before the tick's
// pass starts and one just after it ends bracket its end closely, both outside the pass.
constexpr double kShortPassMs = 250;
constexpr double kBeforeStartMs = 15;
constexpr double kAfterEndMs = 8;
constexpr double kPollMs = 10;
constexpr double kPollWindowMs = 60;
constexpr double kWanderShare = 0.08;
// Longer passes are waited out with a probe sent while one is drawing; once it is answered,
// a look at once (a composited desktop shows the window's own pixels straight away) and
// another when Wine will have put a busy window's drawing on the screen.
constexpr double kFirstLookMs = 2;
constexpr double kFlushedLookMs = 60;
constexpr double kFlushPollMs = 20;
constexpr double kProbeAgainShare = 0.1;
// Without a rhythm, look often for a period (a tick's pass shows within one), then less and
// less, as a long pass shows itself.
constexpr double kSearchMs = 10;
constexpr double kSearchShare = 0.1;
constexpr double kMostSearchMs = 250;
// A pass seen within this share of a period after a reset is surely its first.
constexpr double kStalledWatchShare = 0.7;

Step At(Step::Kind kind, double at)
{
    Step step;
    step.kind = kind;
    step.at = at;
    return step;
}

Step ShortPassStep(const PassTracker& t, double last, double work)
{
    const double spacing = kTimerPeriodMs;
    // Passes wander from one to the next: the longer they are, the later after the last one's
    // length the look that should follow this one's end, and the sparser the looks while it
    // has not shown, so that few of them fall inside it.
    const double late = kWanderShare * work;
    double expected = t.endEstimate + spacing;
    // A pass that did not show soon after it was due is looked for a period later.
    while (last >= expected + kPollWindowMs + 2 * late) {
        expected += spacing;
    }
    const double before = expected - work - kBeforeStartMs;
    if (last < before) {
        return At(Step::Look, before);
    }
    return At(Step::Look, std::max(expected + kAfterEndMs + late, last + kPollMs + late));
}

Step LongPassStep(const PassTracker& t, double last, double work)
{
    if (t.boundary >= 0) {
        if (last < t.boundary + kFirstLookMs && !t.screenLags) {
            return At(Step::Look, t.boundary + kFirstLookMs);
        }
        return At(Step::Look, last < t.boundary + kFlushedLookMs ? t.boundary + kFlushedLookMs
                                                                 : last + kFlushPollMs);
    }
    if (t.probeIdle >= 0) {
        // Between passes: see whether one ended unnoticed, then wait for the next one.
        if (t.lastLook < t.probeIdle) {
            return At(Step::Look, t.probeIdle);
        }
        return At(Step::Probe, std::max(last, t.probeIdle + kProbeAgainShare * work));
    }
    // Where the program idles between passes, a look just before the next one starts shows
    // that none ended meanwhile: with the probe's answer after it, the looks leave no room for
    // two passes even where two of these passes would fit in a period.
    const double nextStart = t.endEstimate + std::max(kTimerPeriodMs, work) - work;
    const double before = nextStart - kBeforeStartMs;
    if (t.lastLook < before - kPollMs && last < before) {
        return At(Step::Look, before);
    }
    const double expected = t.endEstimate + std::max(kTimerPeriodMs, work);
    return At(Step::Probe, std::max(last, expected - work / 2));
}

// Without a rhythm: probes, each followed by a look, often for a period (a tick's pass
// shows within one) and then less and less. A probe sent while a pass draws waits for its
// end; a short pass between two probes shows in the look after.
Step SearchStep(const PassTracker& t, double last)
{
    if (t.boundary >= 0) {
        return LongPassStep(t, last, 0);
    }
    if (t.probeIdle < 0) {
        return At(Step::Probe, last);
    }
    if (t.lastLook < t.probeIdle) {
        return At(Step::Look, t.probeIdle);
    }
    const double since = t.searchFrom >= 0 ? last - t.searchFrom - kTimerPeriodMs : 0;
    return At(Step::Probe, last + std::clamp(kSearchShare * since, kSearchMs, kMostSearchMs));
}

// Right after a reset: a value seen before the reset's zero could show is taken once a look
// after that still shows it, which comes before anything that could wait (a probe to a
// starved program waits for its next waking moment, when the next pass is drawn). Where the
// screen lags by more than a tick only a pass seen soon after the reset counts, so looks
// come often until then.
bool AfterResetStep(const PassTracker& t, double last, Step& step)
{
    if (t.count != 0 || t.resetDone < 0) {
        return false;
    }
    const double confirm = t.resetDone + kFlushMs;
    if (t.suspect >= 0 && last < confirm && t.lastLook < confirm) {
        step = At(Step::Look, confirm);
        return true;
    }
    const double soonUntil = t.resetDone + kStalledWatchShare * kTimerPeriodMs;
    if (t.suspect < 0 && ScreenLagMs(t) >= kStalledWatchShare * kTimerPeriodMs &&
        last < soonUntil) {
        step = At(Step::Look, std::max(t.resetDone + kFirstLookMs, last + kPollMs));
        return true;
    }
    return false;
}

} // namespace

Step NextStep(const PassTracker& t, double last)
{
    Step afterReset;
    if (AfterResetStep(t, last, afterReset)) {
        return afterReset;
    }
    if (t.endEstimate < 0 || t.lastDuration <= 0) {
        return SearchStep(t, last);
    }
    const double work = t.lastDuration + t.overhead;
    return work < kShortPassMs ? ShortPassStep(t, last, work) : LongPassStep(t, last, work);
}

double ControlsFitUntil(const PassTracker& t, double now)
{
    if (t.endEstimate < 0 || t.lastDuration <= 0) {
        return now;
    }
    const double work = t.lastDuration + t.overhead;
    const double nextStart = t.endEstimate + std::max(kTimerPeriodMs, work) - work;
    return now < nextStart - kBeforeStartMs ? nextStart - kBeforeStartMs
                                            : nextStart + work - kBeforeStartMs;
}

double IdleUntil(const PassTracker& t, double now)
{
    // Only passes short enough to be looked at around their ends leave an idle time whose
    // start and end the sampler knows to within milliseconds.
    const double work = t.lastDuration + t.overhead;
    if (t.endEstimate < 0 || t.lastDuration <= 0 || work >= kShortPassMs) {
        return now;
    }
    const double nextStart = t.endEstimate + kTimerPeriodMs - work;
    return std::max(now, nextStart - kBeforeStartMs);
}

const char* DescribeSight(Sight sight)
{
    switch (sight) {
    case Sight::Readable:
        return "the readout can be read";
    case Sight::Minimized:
        return "Zolvik is minimized: restore it to go on";
    case Sight::Hidden:
        return "Zolvik's window is hidden: show it to go on";
    case Sight::OffScreen:
        return "Zolvik's drawing area is not wholly on the screen: move the window onto the "
               "screen to go on";
    case Sight::Covered:
        return "a window lies over Zolvik's readout: move it away or bring Zolvik to the front "
               "to go on";
    case Sight::Undecodable:
        return "Zolvik's readout cannot be read: make sure nothing lies over its top panel";
    case Sight::Gone:
        return "the Zolvik window closed";
    }
    return "";
}
