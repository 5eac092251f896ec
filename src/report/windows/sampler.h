// The Windows side of zolvik-report: finding the running Zolvik, reading its pixels and
// clicking its reset button. Sampling it: one pass at a time, from its readout.
#pragma once

#include "cli/options.h"
#include "results/results.h"

#include <windows.h>

#include <vector>

struct SampledRun {
    std::vector<Sample> samples;
    std::size_t dropped = 0;
    int areaWidth = 0; // the drawing area for the client area at the start
    int areaHeight = 0;
    bool areaChanged = false;
};

// Resets the program's history after every pass it sees, so that every value it reads is one
// pass alone, and drops the passes it cannot be sure of. It looks just before and just after
// each expected timer tick and sleeps in between: the sampler must cost less than the program
// it measures. Rows go to `sink` (when it has a file) as they come. Returns an exit code.
int SampleWindow(HWND window, HWND button, const Options& options, const CsvSink& sink,
                 SampledRun& run);
