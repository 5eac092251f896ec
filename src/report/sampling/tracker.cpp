// Following the readout from look to look: counting passes, recovering each one from the
// means, and keeping the program's rhythm for the schedule.
#include "sampling/sampling.h"
#include "sampling/schedule.h"

#include <algorithm>
#include <cmath>

namespace
{

// Timer ticks come a period apart give or take the platform's timer granularity and the
// program's own work; two tick-driven passes never end closer than this share of a period.
constexpr double kTickSlack = 0.8;
// What a look shows may be this old: Wine puts a busy window's drawing on the screen only
// after about 50 ms of further drawing. A look that still shows the old mean says only that
// no pass had ended this long before it.
constexpr double kScreenLagMs = 60;
// A reset or a probe answered later than this waited for a pass to end, and was handled
// within this long before its answer arrived.
constexpr double kWaitedMs = 5;
constexpr double kReplyLatencyMs = 20;
// A pass that ended at a probe's answer shows by then, or the count is lost.
constexpr double kBoundaryShowsMs = 400;
constexpr double kBoundaryShowsShare = 0.5;
// A wait this long, and longer than four of the program's passes (which wander by tens of
// per cent), was a stall, not a pass being drawn; stalls are remembered this long.
constexpr double kStallMs = 250;
constexpr double kStallPasses = 4;
constexpr double kStallMemoryMs = 30000;
// Looks closer than this to each other pin down when the readout changed.
constexpr double kTightMs = 30;
constexpr double kHalfDecimal = 0.0000005;

DropReason Unseen(Sight sight)
{
    switch (sight) {
    case Sight::Minimized:
        return DropReason::Minimized;
    case Sight::Hidden:
        return DropReason::Hidden;
    case Sight::OffScreen:
        return DropReason::OffScreen;
    case Sight::Covered:
        return DropReason::Covered;
    case Sight::Readable:
    case Sight::Undecodable:
    case Sight::Gone:
        return DropReason::Undecodable;
    }
    return DropReason::Undecodable;
}

Outcome Drop(PassTracker& t, DropReason reason)
{
    ++t.drops[static_cast<int>(reason)];
    t.count = -1;
    t.boundary = -1;
    Outcome outcome;
    outcome.kind = Outcome::Dropped;
    outcome.reason = reason;
    return outcome;
}

// Where the pass just counted probably ended: between `low` and `high`, where the last
// known end, the program's timer and this pass's duration put it (whole periods later when
// passes went unseen). When a pass that followed the last one directly disagrees, the time
// a pass takes beyond its lines (clearing, the readout) was misjudged.
void FollowRhythm(PassTracker& t, double duration, double low, double high, bool consecutive)
{
    double estimate = high - low <= kTightMs ? (low + high) / 2 : high;
    if (t.endEstimate >= 0 && t.lastDuration > 0 && high - low > kTightMs) {
        const double spacing =
            std::max(kTimerPeriodMs + duration - t.lastDuration, duration + t.overhead);
        const double periods = std::floor((high - t.endEstimate) / spacing);
        const double predicted = t.endEstimate + periods * spacing;
        if (periods < 1) {
            if (consecutive) {
                t.overhead = std::max(0.0, t.overhead - (t.endEstimate + spacing - high) / 2);
            }
        } else if (predicted > low) {
            estimate = predicted;
        } else {
            if (consecutive && periods == 1) {
                t.overhead += (low - predicted) / 2;
            }
            estimate = low;
        }
    }
    t.endEstimate = estimate;
    t.lastDuration = duration;
    t.searchFrom = -1;
}

// Looks since the previous change that fell within this pass's timed lines, taking the pass
// to have ended at `end`: the best the sampler can know of its own intrusion.
void CountLooksInPass(PassTracker& t, double duration, double end)
{
    for (double at : t.looksSinceChange) {
        if (at > end - duration && at < end) {
            ++t.looksInPasses;
        }
    }
    t.looksSinceChange.clear();
}

// The readout changed since the last look that showed the old mean: one pass, if the looks
// leave no room for two. Recovers it from the two means.
Outcome Count(PassTracker& t, double at, double mean)
{
    const double k = t.count + 1;
    const double duration = k * mean - (k - 1) * t.shown;
    // Two passes after the last known end take at least their two durations, which the
    // means give exactly (past the eighth pass the second pushes the first out of the
    // history). Two timer passes end most of a period apart, and both after the last known
    // end, whatever the screen showed meanwhile.
    const double second = k < kPassesPerReset ? mean : t.firstDuration;
    const double unchangedUntil = t.lastUnchanged - ScreenLagMs(t);
    const bool noRoomForTwo = at - t.endLow < duration + second;
    const bool noTwoTicks = at - std::max(unchangedUntil, t.endLow) < kTickSlack * kTimerPeriodMs;
    if (!noRoomForTwo && !noTwoTicks) {
        t.endEstimate = -1; // the rhythm misled the looks: find it again
        return Drop(t, DropReason::TwoPasses);
    }
    if (!(duration > 0) || !std::isfinite(duration)) {
        return Drop(t, DropReason::Implausible);
    }
    // For what follows, the pass ended after `low`, allowing for a lagging screen; where it
    // most likely ended, the looks and a probe's answer say. A probe answered after this
    // change was seen speaks of the next pass.
    double low = std::max(unchangedUntil, t.endLow);
    double likelyLow = t.lastUnchanged;
    double high = at;
    const bool boundaryHere = t.boundary >= 0 && t.boundary <= at;
    if (boundaryHere) {
        // A look soon after the probe's answer that still showed the old mean: this screen
        // shows a busy window's drawing late, and such looks are wasted.
        t.screenLags = t.screenLags || t.lastUnchanged > t.boundary;
        low = std::max(low, t.boundary - kReplyLatencyMs);
        likelyLow = std::max(likelyLow, t.boundary - kReplyLatencyMs);
        high = std::min(high, t.boundary);
    }
    CountLooksInPass(t, duration, high);
    FollowRhythm(t, duration, std::min(likelyLow, high), high, t.count >= 1);
    t.count += 1;
    t.firstDuration = t.count == 1 ? duration : t.firstDuration;
    t.shown = mean;
    t.endLow = low;
    t.lastUnchanged = at;
    t.boundary = boundaryHere ? -1 : t.boundary;
    t.probeIdle = -1;
    Outcome outcome;
    outcome.kind = Outcome::Recorded;
    outcome.durationMs = duration;
    outcome.errorBoundMs = (2 * k - 1) * kHalfDecimal;
    return outcome;
}

// A reset or a probe waited from `sent` to `answered`.
void NoteWait(PassTracker& t, double sent, double answered)
{
    const double wait = answered - sent;
    if (t.waitedAt < 0 || answered - t.waitedAt > kStallMemoryMs || wait >= t.waitedMs) {
        t.waitedMs = wait;
        t.waitedAt = answered;
    }
}

} // namespace

void NoteReset(PassTracker& t, double sent, double done)
{
    ++t.resets;
    NoteWait(t, sent, done);
    t.count = 0;
    t.shown = 0;
    t.resetDone = done;
    t.zeroSeen = false;
    t.suspect = -1;
    t.beforeReset = t.lastSeen;
    t.endLow = sent;
    t.lastUnchanged = sent;
    t.boundary = -1;
    t.probeIdle = -1;
    t.looksSinceChange.clear();
    // The click is handled between passes: a long wait means one ended just before it, and
    // the passes after it begin after it.
    if (done - sent > kWaitedMs) {
        t.endLow = std::max(sent, done - kReplyLatencyMs);
        t.endEstimate = t.endEstimate >= 0 ? done : t.endEstimate;
    }
    if (t.endEstimate < 0) {
        t.searchFrom = done;
    }
}

void NoteProbe(PassTracker& t, double sent, double replied)
{
    ++t.probes;
    NoteWait(t, sent, replied);
    if (replied - sent > kWaitedMs && t.count >= 0) {
        t.boundary = replied;
        t.probeIdle = -1;
    } else {
        t.probeIdle = replied;
    }
}

double ScreenLagMs(const PassTracker& t)
{
    const double work = t.lastDuration + t.overhead;
    const bool recent = t.waitedAt >= 0 && t.lastLook - t.waitedAt <= kStallMemoryMs;
    if (!recent || t.lastDuration <= 0 || t.waitedMs <= std::max(kStallMs, kStallPasses * work)) {
        return kScreenLagMs;
    }
    return std::max(kScreenLagMs, t.waitedMs);
}

// Where the screen may lag by two ticks, a look that shows the old mean proves nothing, and
// only a pass seen soon after a reset is surely one: the history is emptied after each.
bool ResetDue(const PassTracker& t)
{
    return t.count < 0 || t.count >= kPassesPerReset ||
           (t.count >= 1 && ScreenLagMs(t) >= kTickSlack * kTimerPeriodMs);
}

Outcome Observe(PassTracker& t, const Look& look)
{
    ++t.looks;
    t.lastLook = look.at;
    if (look.sight != Sight::Readable) {
        // The passes drawn while it cannot be seen are not known; a spell drops one.
        return t.count >= 0 ? Drop(t, Unseen(look.sight)) : Outcome();
    }
    t.lastSeen = look.mean;
    if (t.count < 0) {
        return Outcome();
    }
    t.looksSinceChange.push_back(look.at);
    if (look.mean == t.shown) {
        t.zeroSeen = t.zeroSeen || (t.count == 0 && t.shown == 0);
        const double shows =
            std::max(kBoundaryShowsMs, kBoundaryShowsShare * (t.lastDuration + t.overhead));
        if (t.boundary >= 0 && look.at - t.boundary > shows) {
            return Drop(t, DropReason::Implausible); // a pass ended but never showed
        }
        t.lastUnchanged = look.at;
        return Outcome();
    }
    if (look.mean == 0) {
        // Someone else reset the history: follow it from there.
        t.count = 0;
        t.shown = 0;
        t.endLow = t.lastUnchanged - kScreenLagMs;
        t.lastUnchanged = look.at;
        return Outcome();
    }
    if (t.count == 0 && !t.zeroSeen) {
        // Before the reset's zero is on the screen a value may be the last pass before the
        // reset; it is taken as the first after it only if it is still there once the zero
        // would have shown, and nothing else showed meanwhile.
        if (look.mean == t.beforeReset) {
            return Outcome(); // what was shown before the reset, still there
        }
        if (t.suspect >= 0 && look.mean != t.suspect) {
            return Drop(t, DropReason::Implausible);
        }
        if (t.suspect < 0) {
            t.suspect = look.mean;
            t.suspectAt = look.at;
        }
        if (look.at < t.resetDone + kFlushMs) {
            return Outcome();
        }
        const Outcome counted = Count(t, t.suspectAt, look.mean);
        t.lastUnchanged = counted.kind == Outcome::Recorded ? look.at : t.lastUnchanged;
        return counted;
    }
    return Count(t, look.at, look.mean);
}

std::size_t TotalDrops(const PassTracker& t)
{
    std::size_t total = 0;
    for (std::size_t drops : t.drops) {
        total += drops;
    }
    return total;
}
