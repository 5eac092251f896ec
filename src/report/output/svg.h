// Pictures as standalone SVG: a run, a comparison of runs, a sweep. Each returns an exit
// code, with a message; none replaces a file.
#pragma once

#include "comparing/comparing.h"
#include "model/run.h"
#include "results/sweep_record.h"
#include "stats/stats.h"
#include "stats/sweep_fit.h"

#include <string>

// Every pass over time, the block medians, the median and its interval.
int WriteRunPlot(const std::wstring& path, const Run& run, const MedianEstimate& estimate,
                 const std::string& title, std::string& error);
// Each side's passes run by run, and each side's ratio to the first with its interval.
int WriteComparisonPlot(const std::wstring& path, const ComparedSides& compared,
                        std::string& error);
// Every pass and control pass against the pixels drawn, one colour per shape of area, with the
// model's value at each area on screen and in memory.
int WriteSweepPlot(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                   const std::string& title, std::string& error);
