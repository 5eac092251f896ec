// The sampler's decisions look by look, used within sampling/ (and by its tests): what a look
// meant, and when to look, probe or reset next.
#pragma once

#include "sampling/sampling.h"

struct Outcome {
    enum Kind { Nothing, Recorded, Dropped } kind = Nothing;
    double durationMs = 0;
    double errorBoundMs = 0; // of a recorded duration, from the readout's six decimals
    DropReason reason = DropReason::TwoPasses;
};

// What to do next and when. A probe is a message the program answers only between passes:
// it waits, without a look, for the pass being drawn to end.
struct Step {
    enum Kind { Look, Probe } kind = Look;
    double at = 0;
};

// The program's history was emptied: asked at `sent`, the click handled by `done`.
void NoteReset(PassTracker& tracker, double sent, double done);
// A probe sent at `sent` was answered at `replied`.
void NoteProbe(PassTracker& tracker, double sent, double replied);
bool ResetDue(const PassTracker& tracker);
// How old what the screen shows may be: about a frame, or as long as the program lately
// stalled, while that is longer than its passes explain.
double ScreenLagMs(const PassTracker& tracker);
// Takes one look and says what it meant.
Outcome Observe(PassTracker& tracker, const Look& look);
// After the last step at `last`: just before and after the next pass can show for short
// passes; for long ones a probe that waits for the pass's end, then a look.
Step NextStep(const PassTracker& tracker, double last);

// The control passes drawn just before a reset may run until this time: while the program is
// idle, until shortly before its next pass can start; while it draws a pass (which the reset
// will empty from the history), until that pass should end. `now` itself where the rhythm is
// not known yet.
double ControlsFitUntil(const PassTracker& tracker, double now);
// Until when the program idles before its next pass can start; `now` where it may be drawing
// or its rhythm is not known.
double IdleUntil(const PassTracker& tracker, double now);
