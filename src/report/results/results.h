// Results files: the samples of runs, written as they come (CSV) or as a record (JSON) that
// also says which program ran on which machine, and read back for comparisons. Paths are
// wide-character throughout.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct Sample {
    std::size_t index; // 1, 2, ... within its run
    double seconds;    // since the run started
    double durationMs; // one pass
    // A control pass drawn right after a recorded pass: that sample's index. 0: drawn in a
    // spell before a reset, paired with the passes around it.
    std::size_t pass = 0;
};

// How a recorded run's samples were taken; unknown for runs read from files.
struct SamplingFacts {
    bool known = false;
    std::size_t looks = 0;
    std::size_t looksInPasses = 0; // looks that fell inside a pass's timed lines, as far as known
    std::size_t probes = 0;
    std::size_t resets = 0;
    std::vector<std::pair<std::string, std::size_t>> drops; // by reason
    double errorBoundMs = 0;        // of every recorded duration, from the readout's six decimals
    std::vector<std::string> notes; // what happened, said as warnings
};

// One sampling invocation. Runs read from a CSV file know only their samples.
struct Run {
    int number = 0;
    std::vector<Sample> samples;
    // The control: the same grid drawn in memory by the sampler, timed the same way, right
    // after each pass where the program idles between passes, else a few times before each
    // reset. Kept by records; a CSV file has none.
    std::vector<Sample> controls;
    std::string started; // UTC, ISO 8601; empty when unknown
    int areaWidth = 0;   // the drawing area at the start; 0 when unknown
    int areaHeight = 0;
    bool areaChanged = false; // the drawing area changed during the run
    std::size_t dropped = 0;
    SamplingFacts sampling;
};

Run NumberedRun(int number, std::vector<Sample> samples = {});
std::vector<double> DurationsOf(const std::vector<Sample>& samples);
std::vector<double> Durations(const Run& run);
std::vector<double> ControlDurations(const Run& run);

// ---- CSV ----------------------------------------------------------------------------------

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

// ---- Records (JSON): the runs with where they ran ------------------------------------------

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
// A side of a comparison: the machine its record names and the file, else the file alone.
std::string SideName(const std::wstring& path, const Provenance& provenance);
