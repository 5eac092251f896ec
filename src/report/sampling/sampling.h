// The sampler's decisions, kept apart from any window so that they are tested with scripted
// readouts: what a look at the readout means, which passes are recorded or dropped, and when
// to look next. Times are the sampler's milliseconds; durations are the program's.
//
// The readout after k passes since a reset shows their mean to six decimals, so pass k is
// k m(k) - (k - 1) m(k - 1), good to (2k - 1) x 0.0000005 ms. The sampler resets once every
// kPassesPerReset passes and follows every change of the readout in between. A change is
// one pass only when the looks around it leave no room for two: either too little time
// passed for two passes of the durations the readout implies, or too little for two timer
// ticks.
#pragma once

#include "model/run.h"

#include <cstddef>
#include <vector>

constexpr double kTimerPeriodMs = 500;
constexpr int kPassesPerReset = 8;
// A reset's zero is on the screen this soon after the click; a value seen sooner may still
// be the last pass before the reset, and is taken only from a look this late that still
// shows it.
constexpr double kFlushMs = 150;

// What a look could see. Anything but Readable hides the passes drawn meanwhile.
enum class Sight {
    Readable,
    Minimized,
    Hidden,
    OffScreen,   // the drawing area is not wholly on the screen
    Covered,     // a window lies over the readout and the platform keeps no covered pixels
    Undecodable, // the pixels are there but are no readout
    Gone,        // the window no longer exists
};

struct Look {
    double at = 0;
    Sight sight = Sight::Readable;
    double mean = 0; // the value shown, when readable
};

// Everything the sampler knows of the program between looks. One instance a run.
struct PassTracker {
    // The passes since the last reset.
    int count = -1;   // -1: not known, a reset is due
    double shown = 0; // the mean the readout shows for `count` passes
    double firstDuration = 0;
    double resetDone = -1;
    bool zeroSeen = false;   // the reset's zero was seen
    double lastSeen = -1;    // the latest value any look showed
    double beforeReset = -1; // the value shown before the last reset
    double suspect = -1;     // a value seen too soon after the reset to be sure it is new
    double suspectAt = -1;
    double endLow = -1;        // the last counted pass ended (or the reset came) after this
    double lastUnchanged = -1; // the latest look that still showed `shown`
    double boundary = -1;      // a probe found the program between passes, a pass just ended
    // The longest time a reset or a probe waited lately, and when. A program that answers
    // far later than its passes explain was not running (starved of the CPU), and may not
    // have put its drawing on the screen either.
    double waitedMs = 0;
    double waitedAt = -1;
    std::vector<double> looksSinceChange;
    // The program's rhythm, for when to look.
    double endEstimate = -1; // when the last pass probably ended; -1: not known
    double lastDuration = 0;
    double overhead = 0;     // a pass's time beyond its timed lines: the clear and the readout
    double searchFrom = -1;  // when following the passes without a rhythm began
    double probeIdle = -1;   // a probe found the program between passes, at this time
    bool screenLags = false; // the screen showed a pass only some time after its probe
    double lastLook = -1;
    // Figures for the summary and the record.
    std::size_t looks = 0;
    std::size_t looksInPasses = 0; // looks that fell inside a pass's timed lines, as far as known
    std::size_t probes = 0;
    std::size_t resets = 0;
    std::size_t drops[static_cast<int>(DropReason::kCount)] = {};
};

std::size_t TotalDrops(const PassTracker& tracker);
// Why the readout cannot be seen, and what to do about it.
const char* DescribeSight(Sight sight);
