// zolvik-report: turns the running program's readout into single-pass durations, and
// summarises and compares runs of them. This header holds the parts that need no window: the
// statistics and the verdict, the results files and the command line.
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
    kExitFileExists = 7,
};

// ---- Samples and runs -------------------------------------------------------------------

struct Sample {
    std::size_t index; // 1, 2, ... within its run
    double seconds;    // since the run started
    double durationMs; // one pass
};

// One sampling invocation. Runs read from a CSV file know only their samples.
struct Run {
    int number = 0;
    std::vector<Sample> samples;
    std::string started; // UTC, ISO 8601; empty when unknown
    int areaWidth = 0;   // the drawing area at the start; 0 when unknown
    int areaHeight = 0;
    bool areaChanged = false; // the drawing area changed during the run
    std::size_t dropped = 0;
};

Run NumberedRun(int number, std::vector<Sample> samples = {});
std::vector<double> Durations(const Run& run);

// ---- Judging one pass -------------------------------------------------------------------

// After each pass the sampler resets the history, so the next value shown is one pass alone,
// provided exactly one pass came between the reset and the look that saw it. Times are the
// sampler's milliseconds; a negative time means there was no such look.
struct PassWindow {
    double previousSeen;   // the look that first showed the previous pass
    double previousBefore; // the look before that one
    double lastZero;       // the last look after the reset that showed 0.000000
    double seen;           // the first look that showed this pass
};

enum class PassCheck {
    Single,      // exactly one pass
    ZeroNotSeen, // the value may have been there before the reset
    MayHoldTwo,  // the looks were far enough apart for two timer passes
    TooSoon,     // sooner after the previous pass than the timer allows: a repaint
};

PassCheck JudgePass(const PassWindow& window, double periodMs);
const char* DescribePassCheck(PassCheck check);

// ---- Statistics ---------------------------------------------------------------------------

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

// Passes are correlated (slow spells last seconds), so a run's median is judged by blocks of
// consecutive passes: the spread of the block medians (in logarithms) gives the standard
// error of the run's log median, with blocks - 1 degrees of freedom.
struct MedianEstimate {
    double median = 0;
    double logMedian = 0;
    double standardError = 0; // of logMedian
    double freedom = 0;       // 0: too few passes for blocks
    std::size_t blocks = 0;
    std::size_t blockLength = 0;
    double low = 0; // 95 % interval of the median, when freedom > 0
    double high = 0;
};

constexpr std::size_t kMinBlockLength = 12;
constexpr std::size_t kMaxBlocks = 8;
MedianEstimate EstimateMedian(const std::vector<double>& durations);

// Two-sided 95 % Student t quantile.
double TQuantile95(double freedom);

struct RunReport {
    Summary summary;
    MedianEstimate estimate;
    std::size_t dropped = 0;
    std::vector<std::string> warnings;
};

// `dropped` counts the passes the sampler could not be sure of; unknown (0) for files.
RunReport ReportRun(const std::vector<double>& durations, std::size_t dropped);
void PrintRunReport(std::FILE* out, const std::string& title, const RunReport& report);

// ---- Comparison ---------------------------------------------------------------------------

// The verdict on B against A, from the ratio of their medians B / A and its 95 % interval.
struct Comparison {
    std::string verdict; // "slower", "faster", "same" or "inconclusive"
    std::string sentence;
    double ratio = 0;
    double low = 0;
    double high = 0;
    double freedom = 0;
    bool betweenRuns = false; // the interval includes the spread between runs
    std::vector<std::string> warnings;
};

Comparison CompareRuns(const std::vector<Run>& a, const std::vector<Run>& b);

// ---- Results files (paths are wide-character throughout) ----------------------------------

std::string Utf8(const std::wstring& text);

// Reads `run,index,seconds,duration_ms` files and the older `index,seconds,duration_ms` ones
// (one run). On failure returns false with a message naming the file and, for a malformed
// row, its line.
bool ReadRunsCsv(const std::wstring& path, std::vector<Run>& runs, std::string& error);

// Where the samples of the run being recorded go: a new file, or a new run appended to an
// existing file of the current form. Rows are flushed as they come.
struct CsvSink {
    std::FILE* file = nullptr;
    int run = 1;
};
// On failure returns the exit code with a message; an existing file is left as it was.
int OpenCsvSink(const std::wstring& path, bool append, CsvSink& sink, std::string& error);
bool WriteSampleRow(const CsvSink& sink, const Sample& sample);
void CloseCsvSink(CsvSink& sink);

// ---- Records (JSON): the runs with where they ran --------------------------------------

// What a record says of the program and the machine; JSON null where the platform did not
// tell. Both are JSON objects, kept as text here.
struct Provenance {
    std::string program;     // {"version": ...}
    std::string environment; // {"os": ..., "adapter": ..., "screen": ..., ...}
};

// A results file of either kind, as --compare reads it.
struct ResultsFile {
    std::vector<Run> runs;
    bool record = false; // a JSON record, with provenance; a CSV file has none
    Provenance provenance;
};

bool ReadResultsFile(const std::wstring& path, ResultsFile& file, std::string& error);
bool ReadRecord(const std::wstring& path, ResultsFile& file, std::string& error);
// Writes a new record holding `run`, or with `append` adds `run` to an existing record (a
// missing one is started). The record is written whole to a temporary file and renamed over
// the old one, so a failure never leaves half a record. Returns an exit code.
int WriteRecord(const std::wstring& path, bool append, const Provenance& provenance, Run run,
                std::string& error);

// "adapter, driver version" from a record's environment; empty when it says neither.
std::string DescribeMachine(const Provenance& provenance);

// ---- Pictures (SVG) -----------------------------------------------------------------------

// Every pass over time, the block medians, the median and its interval. Both return an exit
// code; neither replaces a file.
int WriteRunPlot(const std::wstring& path, const Run& run, const std::string& title,
                 std::string& error);
// Both sides' passes run by run, and the ratio B/A with its interval and the verdict.
int WriteComparisonPlot(const std::wstring& path, const std::vector<Run>& a,
                        const std::vector<Run>& b, const Comparison& comparison,
                        const std::string& title, std::string& error);

// --compare A B: each side's runs, then the verdict; --json writes it as one object too, and
// --plot draws it.
int CompareFiles(const std::wstring& a, const std::wstring& b, const std::wstring& json,
                 const std::wstring& plot, std::FILE* out, std::FILE* errors);

// ---- Command line -------------------------------------------------------------------------

struct Options {
    long samples = 0;
    double seconds = 0;
    std::wstring csv;
    bool append = false;
    std::wstring json;
    std::wstring plot;
    std::vector<std::wstring> compare;
    bool help = false;
    bool version = false;
};

extern const char kUsage[];
// False with a message for anything it cannot take as it stands.
bool ParseOptions(const std::vector<std::wstring>& arguments, Options& options, std::string& error);
