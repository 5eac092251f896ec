// Sampling a running Zolvik from its window: the platform's side of the sampling loop.
#pragma once

#include "cli/options.h"
#include "output/text.h"
#include "results/results.h"

#include <windows.h>

#include <cstdio>
#include <vector>

// Ctrl+C, Ctrl+Break or closing the console asks the run being sampled to stop: it ends at
// its next step, keeping what it sampled. Closing the console ends the process as soon as the
// handler returns, so the handler waits (a few seconds at most) for StopHandled.
void WatchForStop();
bool StopRequested();
void StopHandled();

// Follows the readout pass by pass, resetting the program's history every eight passes, and
// drops the passes it cannot be sure of. Rows go to `sink` (when it has a file) as they come,
// and every look, probe and reset to `trace` (when given); `progress` shows how far run
// `runIndex` of the recording has come. Fills in the run's samples, controls, drawing area and
// sampling figures, and marks it interrupted where a stop was asked. Returns an exit code.
int SampleWindow(HWND window, HWND button, const Options& options, const CsvSink& sink,
                 std::FILE* trace, Progress& progress, int runIndex, Run& run);
