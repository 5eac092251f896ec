// What a sweep shows a person: its table of costs, the comparison of two sweeps as text and
// Markdown, and its picture.
#pragma once

#include "output/output.h"
#include "results/sweep_record.h"
#include "stats/sweep_fit.h"

#include <cstdio>
#include <string>
#include <vector>

// What people read for a cost: "fixed", "per line call", ...
const char* CostName(Cost cost);
// A sweep's warning in words; one read from an older record as it was written.
std::string SweepWarningWords(const SweepWarning& warning);
// "0.95 us (0.90-1.00)": a component with its interval, to three significant digits.
std::string ComponentCell(const Component& c);
// Why a model does not stand, or how well it fits.
std::string FitText(const ModelFit& fit);
// The sweep's visits, then fixed, per line call and per million pixels on screen, in memory
// and their ratio, and how well the model fits each.
void PrintSweep(std::FILE* out, const SweepRecord& record, const SweepFit& fit);

// What two sweeps' models and machines warn of, in words.
std::vector<std::string> SweepComparisonWarnings(const SweepComparison& comparison);
// "per line call: B 12.1 us against A 0.90 us, 13.4x (11.8-15.2), higher"
std::string RatioSentence(const ComponentRatio& r);
void PrintSweepComparison(std::FILE* out, const SweepComparison& comparison);
std::string SweepComparisonMarkdown(const SweepComparison& comparison, const std::string& command);
std::string SweepComparisonJson(const SweepComparison& comparison);

// Every pass and control pass against the pixels drawn, one colour per shape of area, with the
// model's value at each area on screen and in memory. Returns an exit code.
int WriteSweepPlot(const std::wstring& path, const SweepRecord& record, const SweepFit& fit,
                   const std::string& title, std::string& error);
