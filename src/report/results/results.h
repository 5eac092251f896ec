// Results files: the samples of runs, written as they come (CSV) or as a record (JSON) that
// also says which program ran on which machine, and read back for comparisons. Paths are
// wide-character throughout.
#pragma once

#include "model/run.h"
#include "model/sweep.h"
#include "stats/control.h"
#include "stats/run_analysis.h"
#include "stats/precision.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdio>
#include <string>
#include <vector>

// ---- CSV ----------------------------------------------------------------------------------

// Reads `run,index,seconds,duration_ms` files and the older `index,seconds,duration_ms` ones
// (one run). On failure returns false with a message naming the file and, for a malformed
// row, its line.
bool ReadRunsCsv(const std::wstring& path, std::vector<Run>& runs, std::string& error);
// The same, of a file's text already read; `name` names it in messages.
bool ParseRunsCsv(const std::string& name, const std::string& text, std::vector<Run>& runs,
                  std::string& error);

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

// A results file of either kind, as --compare reads it.
struct ResultsFile {
    std::vector<Run> runs;
    bool record = false; // a JSON record, with provenance; a CSV file has none
    Provenance provenance;
};

bool ReadResultsFile(const std::wstring& path, ResultsFile& file, std::string& error);
// A file --compare reads, each read once: runs (a CSV file or a record) or a sweep.
struct ComparedFile {
    bool sweep = false;
    ResultsFile results;
    SweepRecord sweepRecord;
};
bool ReadComparedFile(const std::wstring& path, ComparedFile& file, std::string& error);
// A side's noise level by level and a plan, as records and comparisons write them: spreads
// as standard deviations of natural logarithms.
nlohmann::json NoiseJson(const SideNoise& noise);
// What the platform told, as JSON; null where it told nothing a record could hold, so that a
// record is never written with a value JSON cannot read back.
nlohmann::json ObjectOrNull(const std::string& text);
nlohmann::json PlanJson(const Plan& plan, double target);
bool ReadRecord(const std::wstring& path, ResultsFile& file, std::string& error);
// Writes a new record holding `run`, or with `append` adds `run` to an existing record (a
// missing one is started). The record is written whole to a temporary file and renamed over
// the old one, so a failure never leaves half a record. Returns an exit code.
int WriteRecord(const std::wstring& path, bool append, const Provenance& provenance, Run run,
                const RunAnalysis& analysis, std::string& error);

// "adapter, driver version" from a record's environment; empty when it says neither.
std::string DescribeMachine(const Provenance& provenance);
// A side of a comparison: the machine its record names and the file, else the file alone.
std::string SideName(const std::wstring& path, const Provenance& provenance);
