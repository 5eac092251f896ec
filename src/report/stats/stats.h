// The statistics of one run: its summary, an honest interval for its median, and warnings
// about what makes the run say less than it seems to.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Summary {
    std::size_t count;
    double minimum;
    double median;
    double mean;
    double p95;
    double maximum;
    double stddev; // sample standard deviation (n - 1); 0 for fewer than two samples
};

// Percentiles interpolate linearly between the two nearest ranks.
Summary Summarize(const std::vector<double>& durations);
double Median(std::vector<double> values);
// With n - 1 in the denominator; for two or more values.
double SampleVariance(const std::vector<double>& values);

// Passes are correlated (slow spells last seconds), so a run's median is judged by blocks of
// consecutive passes: the spread of the block medians (in logarithms) gives the standard
// error of the run's log median, with blocks - 1 degrees of freedom. Never from fewer than
// three blocks: from two, one degree of freedom makes the interval either absurdly wide or,
// by chance, absurdly narrow. Blocks are of twelve passes or more where a run has room for
// three of them, down to seven where it has not: a run of the default 24 passes has three
// blocks of eight.
struct MedianEstimate {
    double median = 0;
    double logMedian = 0;
    double standardError = 0; // of logMedian
    double freedom = 0;       // 0: too few passes for blocks
    std::size_t blocks = 0;
    std::size_t blockLength = 0;
    double low = 0; // 95 % interval of the median, when freedom > 0
    double high = 0;
    std::vector<double> blockMedians; // each block's, in order
};

constexpr std::size_t kBlockLength = 12;
constexpr std::size_t kMinBlockLength = 7;
constexpr std::size_t kMinBlocks = 3;
constexpr std::size_t kMaxBlocks = 8;
MedianEstimate EstimateMedian(const std::vector<double>& durations);

// Two-sided 95 % Student t quantile.
double TQuantile95(double freedom);

// What makes a run say less than it seems to, with the figures its words need. The first four
// come from the run's passes; the rest from how it was recorded.
struct RunWarning {
    enum Kind {
        TooFewSamples,    // a: the passes an interval needs
        Drifted,          // a, b: the halves' medians in ms; c: their ratio
        Unstable,         // a: the passes' robust coefficient of variation; b: the usual, below
        ManyDropped,      // a: passes dropped; b: passes looked at
        BackToBack,       // passes longer than the timer: one in nine unseen at resets
        AreaChanged,      // the drawing area changed during the run
        Interrupted,      // stopped by Ctrl+C or its console closed before its end
        OtherEnvironment, // appended to a record made in another environment
    };
    Kind kind;
    double a = 0;
    double b = 0;
    double c = 0;
};
// Its stable code in records: "too_few_samples", "drifted", "unstable", ...
const char* RunWarningCode(RunWarning::Kind kind);

struct RunReport {
    Summary summary;
    MedianEstimate estimate;
    std::size_t dropped = 0;
    std::vector<RunWarning> warnings;
};

// `dropped` counts the passes the sampler could not be sure of; unknown (0) for files.
RunReport ReportRun(const std::vector<double>& durations, std::size_t dropped);
