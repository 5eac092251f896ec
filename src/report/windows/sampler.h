// Sampling a running Zolvik from its window: the platform's side of the sampling loop.
#pragma once

#include "cli/options.h"
#include "output/output.h"
#include "results/results.h"

#include <windows.h>

#include <cstdio>
#include <vector>

struct SampledRun {
    std::vector<Sample> samples;
    std::vector<Sample> controls; // the grid drawn in memory, timed the same way
    std::size_t dropped = 0;
    int areaWidth = 0; // the drawing area for the client area at the start
    int areaHeight = 0;
    bool areaChanged = false;
    SamplingFacts facts;
};

// Follows the readout pass by pass, resetting the program's history every eight passes, and
// drops the passes it cannot be sure of. Rows go to `sink` (when it has a file) as they come,
// and every look, probe and reset to `trace` (when given); `progress` shows how far run
// `runIndex` of the recording has come. Returns an exit code.
int SampleWindow(HWND window, HWND button, const Options& options, const CsvSink& sink,
                 std::FILE* trace, Progress& progress, int runIndex, SampledRun& run);
