// The sampling loop: resets, probes and looks in the order the tracker asks for them, with
// the pauses, progress lines and limits a person needs around it.
#include "sampling/session.h"
#include "sampling/schedule.h"

#include <algorithm>
#include <cstdio>

namespace
{

// A probe or a reset waits this long at first; a program that needs longer to answer (its
// thread starved of time) is given twice as long each time, up to the most.
constexpr double kChunkMs = 1000;
constexpr double kMostChunkMs = 16000;
constexpr double kBlindPollMs = 250;      // how often to look while the readout is hidden
constexpr double kNeverDecodedMs = 15000; // a readout never read at all: not Zolvik's
constexpr double kQuietMs = 5000;         // nothing new this long: say so, and ask the program
constexpr int kControlsPerSpell = 4;
// More than one control pass a spell only while the spell costs no more than this share of
// one of the program's passes, so that the companion's CPU stays under the program's own.
constexpr double kSpellShareOfPass = 0.5;
// The control takes at most this share of a run's time, so that where drawing in memory is
// slow (a huge drawing area) it neither starves the program's passes nor drags the run out.
constexpr double kControlShare = 0.2;
// A control pass paired with a pass runs only where this much more than its last time still
// ends before the program's next pass can start, and while all control passes so far have
// taken no more than this many times the recorded passes' own time: the program's passes
// also clear the area and draw the readout, so the companion's CPU stays within about twice
// the program's.
constexpr double kPairMargin = 0.5;
constexpr double kPairCostOfPass = 1.5;

std::string Printed(const char* format, double value)
{
    char text[160];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct Session {
    const ProgramPort& port;
    const SessionLimits& limits;
    PassTracker& t;
    SessionResult result;
    double start = 0;
    double lastEvent = 0; // a pass, a drop or a reset
    bool quietSaid = false;
    double blindSince = -1;
    bool everReadable = false;
    double unansweredSince = -1;
    double chunkMs = kChunkMs;
    double lastControlMs = 0;
    double controlsMs = 0;         // spent on the control so far
    double passesMs = 0;           // the recorded passes' own time
    bool pairedSinceReset = false; // a control pass was drawn right after a recorded pass
};

void Trace(Session& s, double at, const char* event, const std::string& seen,
           const std::string& action)
{
    if (s.port.trace) {
        s.port.trace({at, event, seen, action});
    }
}

void Happened(Session& s, double at)
{
    s.lastEvent = at;
    s.quietSaid = false;
}

// A probe or a reset the program did not handle in time: it is busy or hung. False when it
// has not answered for longer than the run's patience.
bool StillPatient(Session& s, const Answer& answer)
{
    if (answer.kind == Answer::Gone) {
        s.result.end = SessionEnd::WindowGone;
        return false;
    }
    if (s.port.stopped && s.port.stopped()) {
        s.result.end = SessionEnd::Stopped;
        return false;
    }
    const double now = s.port.now();
    s.unansweredSince = s.unansweredSince < 0 ? now : s.unansweredSince;
    s.chunkMs = std::min(2 * s.chunkMs, kMostChunkMs);
    if (now - s.unansweredSince > s.limits.patienceMs) {
        s.result.end = SessionEnd::Hung;
        return false;
    }
    return true;
}

bool Reset(Session& s)
{
    for (;;) {
        const double sent = s.port.now();
        const Answer answer = s.port.reset(s.chunkMs);
        Trace(s, sent, "reset", Printed("%.1f ms", s.port.now() - sent),
              answer.kind == Answer::Handled ? "history emptied" : "not handled yet");
        if (answer.kind == Answer::Handled) {
            NoteReset(s.t, sent, answer.at);
            s.unansweredSince = -1;
            Happened(s, answer.at);
            return true;
        }
        if (!StillPatient(s, answer)) {
            return false;
        }
    }
}

// Draws one control pass and keeps it, paired with a sample or (0) with the passes around it.
bool DrawControl(Session& s, std::size_t pass)
{
    const double started = s.port.now();
    const double ms = s.port.control();
    s.controlsMs += s.port.now() - started;
    Trace(s, started, "control", Printed("%.6f ms", ms),
          !(ms > 0)  ? "not drawn"
          : pass > 0 ? "recorded, paired with sample " + std::to_string(pass)
                     : "recorded");
    if (!(ms > 0)) {
        return false;
    }
    s.result.controls.push_back(
        {s.result.controls.size() + 1, (started - s.start) / 1000.0, ms, pass});
    s.lastControlMs = ms;
    return true;
}

// The control, a few times just before a reset: whatever pass the program draws meanwhile is
// emptied from its history by that reset, so no recorded pass ever overlaps a control. They
// run while they fit into the program's idle time (or into the pass the reset will empty);
// the first always runs, at the cost of at most that pass, within the control's share of the
// run's time. Not needed where every pass since the last reset had a control of its own.
void ControlSpell(Session& s)
{
    if (s.pairedSinceReset) {
        s.pairedSinceReset = false;
        return;
    }
    const double fitUntil = ControlsFitUntil(s.t, s.port.now());
    for (int i = 0; i < kControlsPerSpell; ++i) {
        const double started = s.port.now();
        const bool more = started + s.lastControlMs <= fitUntil &&
                          (i + 1) * s.lastControlMs <= kSpellShareOfPass * s.t.lastDuration;
        if ((i > 0 && !more) ||
            s.controlsMs + s.lastControlMs > kControlShare * (started - s.start) ||
            !DrawControl(s, 0)) {
            return;
        }
    }
}

// A control pass right after the pass just recorded, while the program idles before its next
// one: the two are drawn within milliseconds, so that whatever moves the machine moves both,
// and their ratio is the driver's alone. Only where it ends before the next pass can start
// (so never where passes run back to back), within its cost, and within the control's share
// of the run.
void PairedControl(Session& s, const Sample& sample)
{
    const double started = s.port.now();
    const double expected = s.lastControlMs > 0 ? s.lastControlMs : sample.durationMs;
    if (started + expected * (1 + kPairMargin) > IdleUntil(s.t, started) ||
        s.controlsMs + expected > kPairCostOfPass * s.passesMs ||
        s.controlsMs + expected > kControlShare * (started - s.start)) {
        return;
    }
    s.pairedSinceReset = DrawControl(s, sample.index) || s.pairedSinceReset;
}

bool Probe(Session& s)
{
    const double sent = s.port.now();
    const Answer answer = s.port.probe(s.chunkMs);
    const bool handled = answer.kind == Answer::Handled;
    Trace(s, sent, "probe", Printed("%.1f ms", s.port.now() - sent),
          handled ? (answer.at - sent > 5 ? "a pass ended" : "between passes") : "not handled");
    if (handled) {
        NoteProbe(s.t, sent, answer.at);
        s.unansweredSince = -1;
        return true;
    }
    return StillPatient(s, answer);
}

// The readout hidden or back: one line each way, and an end after the patience runs out.
bool FollowSight(Session& s, const Look& look)
{
    if (look.sight == Sight::Gone) {
        s.result.end = SessionEnd::WindowGone;
        return false;
    }
    if (look.sight == Sight::Readable) {
        s.everReadable = true;
        if (s.blindSince >= 0) {
            s.port.say("going on: the readout can be seen again");
            s.blindSince = -1;
        }
        return true;
    }
    if (!s.everReadable && look.sight == Sight::Undecodable &&
        look.at - s.start > kNeverDecodedMs) {
        s.result.end = SessionEnd::NeverDecoded;
        return false;
    }
    if (s.blindSince < 0) {
        s.blindSince = look.at;
        s.port.say(std::string("paused: ") + DescribeSight(look.sight));
    }
    if (look.at - s.blindSince > s.limits.patienceMs) {
        s.result.end = SessionEnd::Unseen;
        return false;
    }
    return true;
}

bool LookOnce(Session& s)
{
    const Look look = s.port.look();
    const Outcome outcome = Observe(s.t, look);
    const std::string seen =
        look.sight == Sight::Readable ? Printed("%.6f", look.mean) : DescribeSight(look.sight);
    if (outcome.kind == Outcome::Recorded) {
        const Sample sample = {s.result.samples.size() + 1, (look.at - s.start) / 1000.0,
                               outcome.durationMs};
        s.result.samples.push_back(sample);
        s.passesMs += sample.durationMs;
        s.result.maxErrorMs = std::max(s.result.maxErrorMs, outcome.errorBoundMs);
        s.result.backToBack = s.result.backToBack || outcome.durationMs > kTimerPeriodMs;
        Trace(s, look.at, "look", seen, Printed("recorded %.6f ms", outcome.durationMs));
        s.port.say("sample " + std::to_string(sample.index) + ": " +
                   Printed("%.6f ms", sample.durationMs));
        Happened(s, look.at);
        if (!s.port.record(sample)) {
            s.result.end = SessionEnd::CannotWrite;
            return false;
        }
        if (s.port.control) {
            PairedControl(s, sample);
        }
    } else if (outcome.kind == Outcome::Dropped) {
        Trace(s, look.at, "look", seen, std::string("dropped: ") + DropCode(outcome.reason));
        if (s.port.dropped) {
            s.port.dropped(outcome.reason);
        }
        Happened(s, look.at);
    } else {
        Trace(s, look.at, "look", seen, "no new pass");
    }
    return FollowSight(s, look);
}

// Nothing new for a long time: one line, and a probe now and then asks whether the program
// still answers at all.
bool MindTheQuiet(Session& s, double now)
{
    const double quiet = std::max(kQuietMs, 4 * (s.t.lastDuration + s.t.overhead));
    if (now - s.lastEvent < quiet || s.blindSince >= 0) {
        return true;
    }
    if (!s.quietSaid) {
        s.port.say(Printed("waiting: nothing new for %.0f s; the passes are slow or Zolvik is "
                           "busy",
                           (now - s.lastEvent) / 1000));
        s.quietSaid = true;
    }
    // A probe already answered waits for its look; another would skip past that pass.
    return s.t.boundary >= 0 || Probe(s);
}

} // namespace

SessionResult RunSession(const ProgramPort& port, const SessionLimits& limits, PassTracker& tracker)
{
    Session s{port, limits, tracker, SessionResult()};
    s.start = port.now();
    s.lastEvent = s.start;
    const double end = limits.seconds > 0 ? s.start + limits.seconds * 1000 : 0;
    // What the readout shows before the first reset, so that it is not taken for a pass
    // while the reset's zero is still on its way to the screen.
    if (!LookOnce(s)) {
        return s.result;
    }
    double last = port.now();
    for (;;) {
        if (limits.samples > 0 && static_cast<long>(s.result.samples.size()) >= limits.samples) {
            return s.result;
        }
        if (port.stopped && port.stopped()) {
            s.result.end = SessionEnd::Stopped;
            return s.result;
        }
        if (ResetDue(tracker) && s.blindSince < 0) {
            if (port.control) {
                ControlSpell(s);
            }
            if (!Reset(s)) {
                return s.result;
            }
            last = port.now();
            continue;
        }
        const Step step =
            s.blindSince >= 0 ? Step{Step::Look, last + kBlindPollMs} : NextStep(tracker, last);
        if (end > 0 && step.at >= end) {
            port.sleepUntil(end);
            return s.result;
        }
        port.sleepUntil(step.at);
        const bool going = step.kind == Step::Probe ? Probe(s) : LookOnce(s);
        if (!going || !MindTheQuiet(s, port.now())) {
            return s.result;
        }
        last = port.now();
    }
}
