// The data every room shares: a run of single passes with its control passes, how it was
// sampled, and what a record says of where it ran.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct Sample {
    std::size_t index; // 1, 2, ... within its run
    double seconds;    // since the run started
    double durationMs; // one pass
    // A control pass drawn right after a recorded pass: that sample's index. 0: drawn in a
    // spell before a reset, paired with the passes around it.
    std::size_t pass = 0;
};

// Why a pass was dropped. A look that could not see the readout drops the passes drawn
// meanwhile (counted once a spell), named by what hid it.
enum class DropReason {
    TwoPasses,   // the looks around a change left room for two passes
    Implausible, // the change fits no single pass (an outside reset, a lost count)
    Minimized,
    Hidden,
    OffScreen,
    Covered,
    Undecodable,
    kCount,
};
// Its stable code in records: "two_passes", "minimized", ...
const char* DropCode(DropReason reason);

// How a recorded run's samples were taken; unknown for runs read from files.
struct SamplingFacts {
    bool known = false;
    std::size_t looks = 0;
    std::size_t looksInPasses = 0; // looks that fell inside a pass's timed lines, as far as known
    std::size_t probes = 0;
    std::size_t resets = 0;
    std::vector<std::pair<DropReason, std::size_t>> drops; // by reason
    double errorBoundMs = 0; // of every recorded duration, from the readout's six decimals
    // Passes ran back to back, each longer than the timer: one in nine went unseen at resets.
    bool backToBack = false;
};

// One sampling invocation. Runs read from a CSV file know only their samples.
struct Run {
    int number = 0;
    std::vector<Sample> samples;
    // The control: the same grid drawn in memory by the sampler, timed the same way, right
    // after each pass where the program idles between passes, else a few times before each
    // reset. Kept by records; a CSV file has none.
    std::vector<Sample> controls;
    std::string started; // UTC, ISO 8601; empty when unknown
    int areaWidth = 0;   // the drawing area at the start; 0 when unknown
    int areaHeight = 0;
    bool areaChanged = false; // the drawing area changed during the run
    bool interrupted = false; // stopped by Ctrl+C or by closing the console before its end
    // Recorded with --precision: its per cent, and whether the run was one of the pilot's,
    // whose spread alone then judges the side. 0: recorded otherwise.
    double precision = 0;
    bool pilot = false;
    std::string note; // what the recorder said the side is; empty for none
    std::size_t dropped = 0;
    SamplingFacts sampling;
};

Run NumberedRun(int number, std::vector<Sample> samples = {});
std::vector<double> DurationsOf(const std::vector<Sample>& samples);
std::vector<double> Durations(const Run& run);
std::vector<double> ControlDurations(const Run& run);
// The run's drawing area as AreaName gives it; empty where unknown.
std::string AreaText(const Run& run);

// What a record says of the program and the machine; JSON null where the platform did not
// tell. Both are JSON objects, kept as text here.
struct Provenance {
    std::string program;     // {"version": ...}
    std::string environment; // {"os": ..., "adapter": ..., "screen": ..., ...}
};
