// Each mode of zolvik-report in one place: what is checked before sampling starts, and what is
// made of the passes once they are in (the summary, the record, the picture). Sampling itself
// is the platform's; everything here runs, and is tested, anywhere.
#pragma once

#include "cli/options.h"
#include "model/run.h"
#include "model/sweep.h"
#include "output/text.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// One file a command writes, by its format; "-" for standard output. Each format is one
// writer in output/ (text, JSON, Markdown, SVG) or results/ (records, CSV), covering runs,
// comparisons and sweeps alike.
enum class Format { Csv, Json, Markdown, Svg, Trace };
struct Export {
    Format format;
    std::wstring path;
};
// Every file the options ask for, in one list.
std::vector<Export> ExportsOf(const Options& options);
// Nothing is ever overwritten: a recording adds to its results file only with --append and
// only to a record where it is JSON; every other file must not exist yet. Returns an exit
// code, with a message.
int CheckExports(const Options& options, const std::vector<Export>& exports, std::string& error);
// A recording's or a sweep's files checked before minutes of sampling, and the trace opened
// (header written) here. Returns an exit code, with a message.
int OpenOutputs(const Options& options, std::FILE*& trace, std::string& error);

// What a comparison writes besides its text, and the command that made it, for its report.
struct CompareOutputs {
    std::vector<Export> exports;
    std::string command;
};

// A run just sampled: its summary, control and sampling figures on `out`, then the record and
// the picture as asked. An interrupted run is written all the same. Returns an exit code.
int FinishRun(const Options& options, const Provenance& provenance, const Run& run, bool append,
              std::FILE* out, std::FILE* errors);

// A finished sweep: fitted once, then its table on `out`, its record and its picture as asked.
int FinishSweep(const Options& options, const SweepRecord& record, std::FILE* out,
                std::FILE* errors);

// --compare BASE B ...: runs or sweeps, read and compared; each side's runs, the environments
// and the verdicts as text, and --json, --plot and --markdown written as asked.
int CompareFiles(const std::vector<std::wstring>& paths, const CompareOutputs& outputs,
                 std::FILE* out, std::FILE* errors);
// --compare as the options ask: every file it would write checked before any is read, then
// CompareFiles.
int CompareAsAsked(const Options& options, const std::string& command, std::FILE* out,
                   std::FILE* errors);

// What a recording of runs does at the window: records run `index` of `planned` so far
// (appending to the files after the first) into `run` and writes it, and pauses before run
// `next`. Both return an exit code; a run cut short by Ctrl+C is recorded all the same.
struct RecordingPort {
    std::function<int(int index, int planned, bool append, Run& run)> record;
    std::function<int(double seconds, int next, int planned)> pause;
};
// --runs N, or --precision P with --runs as the most: the runs, the noise after each from the
// second on, where the precision stands, and the plan at the end. Returns an exit code.
int RecordRuns(const Options& options, const RecordingPort& port, std::FILE* out);

// --plan P FILE: the noise of a recorded side and what two sides like it would need for +-P.
int PlanFromFile(const std::wstring& path, double target, std::FILE* out, std::FILE* errors);
