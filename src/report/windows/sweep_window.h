// A sweep on the desktop: Zolvik's window sized to one drawing area after another, passes
// sampled at each, and the window put back as it was on every way out, Ctrl+C included.
#pragma once

#include "cli/options.h"
#include "output/text.h"
#include "results/sweep_record.h"

#include <windows.h>

#include <cstdio>

// Visits the areas of the sweep in its order, `options.samples` passes a visit and
// `options.runs` rounds. Returns an exit code; `record` holds every visit completed.
int SweepWindow(HWND window, HWND button, const Options& options, std::FILE* trace,
                Progress& progress, SweepRecord& record);
