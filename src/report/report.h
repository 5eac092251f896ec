// zolvik-report: turns the running program's readout into single-pass durations, and
// summarises and compares them. This header holds the parts that need no window: the
// statistics, the recovery of single passes from the shown means, and the CSV files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Exit codes of zolvik-report.
enum ReportExit {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNoWindow = 2,
    kExitWindowClosed = 3,
    kExitUndecodable = 4,
    kExitBadCsv = 5,
    kExitCannotWrite = 6,
};

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

// The program shows the mean of the passes since a reset. With mean_k shown after the k-th
// pass (k = 1 .. 8) that pass took k * mean_k - (k - 1) * mean_(k-1) milliseconds.
double PassDuration(int k, double mean, double previousMean);

void PrintSummary(std::FILE* out, const std::string& title, const Summary& summary);
void PrintComparison(std::FILE* out, const std::string& nameA, const Summary& a,
                     const std::string& nameB, const Summary& b);

// Reads the durations (third column) of a CSV written by zolvik-report. On failure returns
// false with a message naming the file and, for a malformed row, its line.
bool ReadSamplesCsv(const std::string& path, std::vector<double>& durations, std::string& error);

// The CSV written as the samples arrive: a header, then one flushed row per sample.
std::FILE* OpenSamplesCsv(const std::string& path);
bool WriteSampleRow(std::FILE* csv, std::size_t index, double seconds, double durationMs);

// --compare A.csv B.csv: both summaries side by side and the ratio of the medians (B / A).
int CompareCsvFiles(const std::string& a, const std::string& b, std::FILE* out, std::FILE* errors);
