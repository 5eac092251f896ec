// The sampler's decisions, kept apart from any window so they can be tested with scripted
// readouts: what a reading means, and what is recorded or dropped.
#pragma once

// After each pass the sampler resets the history, so the next value shown is one pass alone,
// provided exactly one pass came between the reset and the look that saw it. Times are the
// sampler's milliseconds; a negative time means there was no such look.
struct PassWindow {
    double previousSeen;   // the look that first showed the previous pass
    double previousBefore; // the look before that one
    double lastZero;       // the last look after the reset that showed 0.000000
    double seen;           // the first look that showed this pass
};

enum class PassCheck {
    Single,      // exactly one pass
    ZeroNotSeen, // the value may have been there before the reset
    MayHoldTwo,  // the looks were far enough apart for two timer passes
    TooSoon,     // sooner after the previous pass than the timer allows: a repaint
};

PassCheck JudgePass(const PassWindow& window, double periodMs);
const char* DescribePassCheck(PassCheck check);
