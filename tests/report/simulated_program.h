// A running Zolvik as the sampler meets it, in simulated time: a 500 ms timer whose ticks
// wait while a pass draws (so long passes run back to back), repaints, an eight-pass history
// shown to six decimals, a screen that may show a busy window's drawing late, sent messages
// handled only between passes, and a window that can be minimized. A starved program runs
// only for a few milliseconds in every period: its passes, its answers and the flushes that
// put its drawing on the screen all wait for its next waking moment.
#pragma once

#include "sampling/session.h"

#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

struct SimulatedPass {
    double start = 0;
    double timedStart = 0;
    double timedEnd = 0;
    double end = 0;
    double duration = 0;
    double shownAt = 0; // when its readout reaches the screen
    bool minimized = false;
};

struct SimulatedProgram {
    // The pass's drawn time from its index and start; the clear before the timed lines.
    std::function<double(std::size_t index, double start)> duration;
    double clearMs = 0;
    double readoutMs = 0.1;
    double firstTick = 7;
    double screenLagMs = 0;   // a busy window's drawing shows this late
    double handlingMs = 0.05; // the program's time to handle a sent message
    double replyLatencyMs = 0.3;
    std::vector<double> repaints;                           // asked for at these times
    std::vector<std::pair<double, double>> minimizedSpells; // from, to
    double goneAt = std::numeric_limits<double>::infinity();
    bool hung = false;
    double awakeMs = 0; // the program runs for this long in every period (0: always)
    double awakePeriodMs = 0;
    double awakeFrom = 0; // the first waking moment
    double flushMs = 0;   // the program's own time to put its drawing on the screen

    double nextTick = -1;
    double freeAt = 0;
    std::size_t nextRepaint = 0;
    std::deque<double> history;
    std::vector<SimulatedPass> passes;
    std::vector<std::pair<double, double>> screen; // shown from, value

    void AdvanceTo(double t);
    // The first moment from `t` on when the program runs, and when `ms` of its own time
    // started at `from` is done.
    double Resume(double t) const;
    double Work(double from, double ms) const;
    double Shown(double t);
    bool Minimized(double t) const;
    Answer Send(double sent, double timeoutMs, bool reset);
};

// The sampler's view of it: a port whose clock is the simulation's.
struct SimulatedRun {
    SimulatedProgram& program;
    double clock = 0;
    std::vector<std::string> said;
    std::vector<TraceEntry> trace;
    double controlMs = 0; // the sampler's own pass in memory; 0: no control
    std::vector<std::pair<double, double>> controls; // drawn from, to
    ProgramPort Port();
};

// Checks of a finished run against the truth: every sample is one true pass, shown when it
// was recorded, within the readout's error bound, and none twice.
struct RunCheck {
    std::size_t wrong = 0;
    std::size_t duplicated = 0;
    std::size_t whileMinimized = 0;
    std::size_t looks = 0;
    std::size_t looksInTimedLines = 0; // by the simulation's own timeline
    std::size_t besideControl = 0;     // samples whose pass was drawn while a control ran
    std::string firstWrong;
};
RunCheck CheckRun(const SimulatedProgram& program, const SessionResult& result,
                  const std::vector<TraceEntry>& trace, double start,
                  const std::vector<std::pair<double, double>>& controls = {});
