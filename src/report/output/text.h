// Everything zolvik-report says as text: a run's summary, control and sampling, progress,
// verdicts, precision and plans, comparisons of runs, a sweep's costs and two sweeps compared.
#pragma once

#include "comparing/comparing.h"
#include "results/results.h"
#include "results/sweep_record.h"
#include "stats/control.h"
#include "stats/precision.h"
#include "stats/stats.h"
#include "stats/sweep_fit.h"
#include "stats/verdict.h"

#include <cstdio>
#include <string>
#include <vector>

// ---- Runs ---------------------------------------------------------------------------------

// Drops and warnings in words; records keep their codes.
const char* DropWords(DropReason reason);
std::string RunWarningWords(const RunWarning& warning);

void PrintRunReport(std::FILE* out, const std::string& title, const RunReport& report);
// The control: the same grid drawn in memory during the run, and the time on screen relative
// to it. Nothing for a run without one.
void PrintControl(std::FILE* out, const ControlEstimate& control);
// How a recorded run was sampled: looks, probes, resets, drops by reason and what happened.
void PrintSamplingFacts(std::FILE* out, const Run& run);

// ---- Verdicts ------------------------------------------------------------------------------

const char* VerdictWord(Verdict verdict); // "slower", "faster", "same", "inconclusive"
// "B slower from 1.17x (+17 %), faster from 0.85x (-15 %)"
std::string ResolvesText(const Resolves& resolves, const std::string& side);

// One figure of a verdict: "raw times", "B/A 2.19", "95 % interval 1.65-2.88", "slower".
struct VerdictFigure {
    std::string label;
    std::string ratio;
    std::string interval; // empty for a line that is not a ratio
    std::string word;
};
struct VerdictText {
    std::string headline; // "B: no verdict: the machine slowed down while B was recorded"
    std::vector<VerdictFigure> figures;
    std::string next; // what to do next
};
VerdictText SayVerdict(const Comparison& c, const std::string& base, const std::string& side);
// The headline, then each figure on a line of its own, aligned, then what to do next.
std::vector<std::string> VerdictLines(const VerdictText& text, const std::string& indent);

// ---- Precision ----------------------------------------------------------------------------

// Each figure's spread inside a run and between runs, and what a pass and a run take.
std::vector<std::string> NoiseLines(const SideNoise& noise, const std::string& indent);
// "to resolve +-5.0 % against A: 7 runs of 120 passes a side, about 14 minutes a side (...)"
std::string PlanText(const Plan& plan, double target, const std::string& against);
// "precision: +-8.1 % after 3 runs; about 2 more runs, 4 minutes"
std::string StandText(const PrecisionStand& stand, double minutesARun);

// ---- Comparisons --------------------------------------------------------------------------

// What the sides together warn of, in words: "the runs drew different drawing areas ...".
std::string ComparisonWarningWords(const ComparisonWarning& warning);

void PrintComparison(std::FILE* out, const ComparedSides& compared);

// ---- Sweeps -------------------------------------------------------------------------------

// A sweep's warning in words; one read from an older record as it was written.
std::string SweepWarningWords(const SweepWarning& warning);
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

// ---- Progress -----------------------------------------------------------------------------

// One line saying how far a recording has come: rewritten in place on a console, printed as
// plain lines (one every few seconds) when the output goes to a file or a pipe.
struct Progress {
    std::FILE* out = stdout;
    bool console = false;
    const char* unit = "run"; // or "visit", for a sweep's
    int runs = 1;
    long samples = 0;   // a run's samples; 0: runs last `seconds`
    double seconds = 0; // a run's length in seconds, with `samples` 0
    double pauseS = 0;
    std::size_t shown = 0;  // the length of the line standing on a console
    double printedS = -1e9; // when the last plain line was printed
};
// `elapsedS` into run `run` (1-based), `sample` samples in, the last pass `passMs` long.
std::string ProgressText(const Progress& progress, int run, long sample, double elapsedS,
                         double passMs = 0);
// `nowS` paces the plain lines; a `milestone` (a run's first or last sample) always shows.
void ShowProgress(Progress& progress, const std::string& text, double nowS, bool milestone);
// Clears a line standing on a console, so that other output starts on a line of its own.
void EndProgressLine(Progress& progress);
