// What zolvik-report shows a person: a run's summary as text, comparisons as text and JSON,
// and pictures of either as SVG.
#pragma once

#include "results/results.h"
#include "stats/stats.h"
#include "stats/verdict.h"

#include <cstdio>
#include <string>
#include <vector>

void PrintRunReport(std::FILE* out, const std::string& title, const RunReport& report);
// How a recorded run was sampled: looks, probes, resets, drops by reason and what happened.
void PrintSamplingFacts(std::FILE* out, const Run& run);

// --compare A B: each side's runs, then the verdict; --json writes it as one object too, and
// --plot draws it. Returns an exit code.
int CompareFiles(const std::wstring& a, const std::wstring& b, const std::wstring& json,
                 const std::wstring& plot, std::FILE* out, std::FILE* errors);

// Every pass over time, the block medians, the median and its interval. Both return an exit
// code; neither replaces a file.
int WriteRunPlot(const std::wstring& path, const Run& run, const std::string& title,
                 std::string& error);
// Both sides' passes run by run, and the ratio B/A with its interval and the verdict.
int WriteComparisonPlot(const std::wstring& path, const std::vector<Run>& a,
                        const std::vector<Run>& b, const Comparison& comparison,
                        const std::string& title, std::string& error);
