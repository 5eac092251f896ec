// One sampling run as a loop over what the running program offers: looks, probes and
// resets, given as functions so that the same loop runs against a window on Windows and
// against a simulated program in the native tests.
#pragma once

#include "model/run.h"
#include "sampling/sampling.h"

#include <functional>
#include <string>

// What a probe or a reset came to: handled (at `at`), not handled within its time, or the
// window is gone.
struct Answer {
    enum Kind { Handled, TimedOut, Gone } kind = Handled;
    double at = 0;
};

// One line of the trace: every look, probe and reset with what it saw and what was decided.
struct TraceEntry {
    double at = 0;
    std::string event;  // "look", "probe", "reset"
    std::string seen;   // the value shown, or why none could be seen; the wait, for the others
    std::string action; // what was decided
};

struct ProgramPort {
    std::function<double()> now;
    std::function<void(double at)> sleepUntil;
    std::function<Look()> look;
    std::function<Answer(double timeoutMs)> probe;
    std::function<Answer(double timeoutMs)> reset;
    std::function<void(const std::string& line)> say;
    // A pass dropped, and why: worded by whoever shows it. Empty: not shown.
    std::function<void(DropReason reason)> dropped;
    std::function<bool(const Sample& sample)> record; // false: the results cannot be written
    std::function<void(const TraceEntry& entry)> trace;
    // A person asked the run to stop (Ctrl+C): it ends keeping what it has. Empty: never.
    std::function<bool()> stopped;
    // The control: Zolvik's grid drawn in memory by the sampler itself and timed as the
    // program times its own lines, in ms; 0 when it cannot be drawn. Empty: no control.
    std::function<double()> control;
};

struct SessionLimits {
    long samples = 0;           // 0: until `seconds`
    double seconds = 0;         // 0: until `samples`
    double patienceMs = 300000; // a readout not seen, or a program not answering, this long
};

enum class SessionEnd { Done, Stopped, WindowGone, Hung, Unseen, NeverDecoded, CannotWrite };

struct SessionResult {
    SessionEnd end = SessionEnd::Done;
    std::vector<Sample> samples;
    std::vector<Sample> controls; // the control's passes, timed from the run's start as well
    double maxErrorMs = 0;        // the largest error bound of a recorded duration
    bool backToBack = false;      // passes took longer than the timer's period
};

SessionResult RunSession(const ProgramPort& port, const SessionLimits& limits,
                         PassTracker& tracker);
