// zolvik-report: single-pass durations of a running Zolvik, read from its window, with a
// summary, results files of runs (CSV and JSON records), pictures and comparisons of runs.
// The program itself stays as it is: this companion only clicks its "Reset statistics" button
// and reads its pixels.
#include "cli/options.h"
#include "exit_codes.h"
#include "output/output.h"
#include "output/sweep_output.h"
#include "results/files.h"
#include "results/results.h"
#include "windows/check.h"
#include "windows/environment.h"
#include "windows/sampler.h"
#include "windows/sweep_window.h"
#include "zolvik_facts.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "zolvik-report: %s\n", message.c_str());
    return code;
}

HWND FindProgram(int& code, std::string& error)
{
    code = kExitNoWindow;
    HWND window = FindWindowW(ZOLVIK_WINDOW_CLASS, nullptr);
    if (!window) {
        error = "no Zolvik window is open (class ZolvikWindowClass)";
        return nullptr;
    }
    // Two windows of the program would each take the other's resets and readouts.
    if (FindWindowExW(nullptr, window, ZOLVIK_WINDOW_CLASS, nullptr)) {
        error = "more than one Zolvik window is open: close all but one";
        return nullptr;
    }
    code = kExitOk;
    return window;
}

// The program's window and its "Reset statistics" button, which a run needs both of.
HWND FindProgramAndButton(HWND& button, int& code, std::string& error)
{
    HWND window = FindProgram(code, error);
    button = window ? GetDlgItem(window, IDC_RESET_STATISTICS) : nullptr;
    if (window && !button) {
        code = kExitNoWindow;
        error = "the window has no \"Reset statistics\" button";
        return nullptr;
    }
    return window;
}

// A record or a picture that cannot be written must be known before minutes of sampling.
int CheckOutputs(const Options& options, std::string& error)
{
    if (!options.json.empty() && FileExists(options.json)) {
        ResultsFile existing;
        if (!options.append) {
            error = Utf8(options.json) + " exists: a results file is never overwritten; give " +
                    "--append to add a run to it, or another name";
            return kExitFileExists;
        }
        if (!ReadRecord(options.json, existing, error)) {
            error += "; --append adds runs only to a zolvik-report record";
            return kExitBadCsv;
        }
    }
    for (const std::wstring* path : {&options.plot, &options.trace}) {
        if (!path->empty() && FileExists(*path)) {
            error = Utf8(*path) + " exists: zolvik-report never overwrites a file";
            return kExitFileExists;
        }
    }
    return kExitOk;
}

std::FILE* OpenTrace(const std::wstring& path, int& code, std::string& error)
{
    bool existed = false;
    std::FILE* trace = path.empty() ? nullptr : CreateNewFile(path, existed);
    if (!path.empty() && !trace) {
        code = existed ? kExitFileExists : kExitCannotWrite;
        error = Utf8(path) +
                (existed ? " exists: zolvik-report never overwrites a file" : ": cannot write");
    } else if (trace) {
        std::fputs("ms,event,seen,action\n", trace);
    }
    return trace;
}

bool OnConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

// One run into the results files; `append` adds it to what earlier runs wrote.
int RecordRun(const Options& options, HWND window, HWND button, bool append, int runIndex,
              std::FILE* trace, Progress& progress)
{
    int code = kExitOk;
    std::string error;
    CsvSink sink;
    if (!options.csv.empty()) {
        if ((code = OpenCsvSink(options.csv, append, sink, error)) != kExitOk) {
            return Fail(code, error);
        }
        std::printf("recording run %d into %s\n", sink.run, Utf8(options.csv).c_str());
    }
    if (trace && runIndex > 1) {
        // Each run's times count from its own start.
        std::fprintf(trace, "0.000,run,\"%d\",\"started\"\n", runIndex);
    }
    // Gathered before sampling, so that none of it falls among the passes measured.
    const Provenance provenance = {ProgramJson(window), EnvironmentJson()};
    Run run = NumberedRun(sink.run);
    run.started = UtcNow();
    SampledRun sampled;
    code = SampleWindow(window, button, options, sink, trace, progress, runIndex, sampled);
    CloseCsvSink(sink);
    run.samples = sampled.samples;
    run.controls = sampled.controls;
    run.dropped = sampled.dropped;
    run.areaWidth = sampled.areaWidth;
    run.areaHeight = sampled.areaHeight;
    run.areaChanged = sampled.areaChanged;
    run.sampling = sampled.facts;
    if (!run.samples.empty() || run.dropped > 0) {
        PrintRunReport(stdout, "single-pass durations", ReportRun(Durations(run), run.dropped));
        PrintControl(stdout, run);
        PrintSamplingFacts(stdout, run);
    }
    int written = kExitOk;
    if (!options.json.empty() &&
        (written = WriteRecord(options.json, append, provenance, run, error)) != kExitOk) {
        Fail(written, error);
    }
    if (!options.plot.empty() && !run.samples.empty()) {
        const std::string machine = DescribeMachine(provenance);
        const std::string title = "Zolvik line drawing time, run started " + run.started +
                                  (machine.empty() ? "" : ": " + machine);
        const int plotted = WriteRunPlot(options.plot, run, title, error);
        if (plotted != kExitOk) {
            Fail(plotted, error);
            written = written != kExitOk ? written : plotted;
        }
    }
    return code != kExitOk ? code : written;
}

// The pause before run `next`, counted down; the program must still be there after it.
int PauseBetweenRuns(HWND window, double seconds, int next, Progress& progress)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    bool first = true;
    for (ULONGLONG now = GetTickCount64(); now < end && IsWindow(window); now = GetTickCount64()) {
        char text[120];
        std::snprintf(text, sizeof text, "run %d of %d starts in %.0f s", next, progress.runs,
                      std::ceil(static_cast<double>(end - now) / 1000));
        ShowProgress(progress, text, static_cast<double>(now) / 1000, first);
        first = false;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 1000)));
    }
    EndProgressLine(progress);
    return IsWindow(window) ? kExitOk
                            : Fail(kExitWindowClosed, "the Zolvik window closed between runs");
}

// --runs N: the runs one after another into one file, --pause seconds apart.
int Record(const Options& options)
{
    int code = kExitOk;
    std::string error;
    HWND button = nullptr;
    HWND window = FindProgramAndButton(button, code, error);
    if (!window || (code = CheckOutputs(options, error)) != kExitOk) {
        return Fail(code, error);
    }
    std::FILE* trace = OpenTrace(options.trace, code, error);
    if (code != kExitOk) {
        return Fail(code, error);
    }
    Progress progress;
    progress.console = OnConsole();
    progress.runs = static_cast<int>(options.runs);
    progress.samples = options.samples;
    progress.seconds = options.seconds;
    progress.pauseS = options.pause;
    for (int i = 1; i <= options.runs && code == kExitOk; ++i) {
        if (i > 1) {
            code = PauseBetweenRuns(window, options.pause, i, progress);
        }
        if (code == kExitOk) {
            code = RecordRun(options, window, button, options.append || i > 1, i, trace, progress);
        }
    }
    if (trace) {
        std::fclose(trace);
    }
    return code;
}

// --sweep: the areas visited in turn, then the table, the record and the picture. Nothing is
// written for a sweep that did not finish: a fit over some of the areas says less than it seems.
int Sweep(const Options& options)
{
    int code = kExitOk;
    std::string error;
    HWND button = nullptr;
    HWND window = FindProgramAndButton(button, code, error);
    if (!window) {
        return Fail(code, error);
    }
    for (const std::wstring* path : {&options.json, &options.plot, &options.trace}) {
        if (!path->empty() && FileExists(*path)) {
            return Fail(kExitFileExists, Utf8(*path) + " exists: zolvik-report never overwrites a "
                                                       "file");
        }
    }
    std::FILE* trace = OpenTrace(options.trace, code, error);
    if (code != kExitOk) {
        return Fail(code, error);
    }
    Progress progress;
    progress.console = OnConsole();
    SweepRecord record;
    record.provenance = {ProgramJson(window), EnvironmentJson()};
    record.started = UtcNow();
    code = SweepWindow(window, button, options, trace, progress, record);
    if (trace) {
        std::fclose(trace);
    }
    if (code != kExitOk) {
        std::fprintf(stderr, "zolvik-report: the sweep did not finish: nothing was recorded\n");
        return code;
    }
    const SweepFit fit = FitSweep(record.visits);
    PrintSweep(stdout, record, fit);
    if (!options.json.empty() &&
        (code = WriteSweepRecord(options.json, record, fit, error)) != kExitOk) {
        return Fail(code, error);
    }
    if (!options.plot.empty()) {
        const std::string machine = DescribeMachine(record.provenance);
        const std::string title = "Zolvik line drawing time by drawing area, sweep started " +
                                  record.started + (machine.empty() ? "" : ": " + machine);
        if ((code = WriteSweepPlot(options.plot, record, fit, title, error)) != kExitOk) {
            return Fail(code, error);
        }
    }
    return kExitOk;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    std::string error;
    if (!ParseOptions(std::vector<std::wstring>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "zolvik-report: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s\n", ZOLVIK_VERSION);
        return kExitOk;
    }
    if (options.check) {
        int code = kExitOk;
        HWND window = FindProgram(code, error);
        return window ? CheckSetup(window) : Fail(code, error);
    }
    if (options.sweep) {
        return Sweep(options);
    }
    if (!options.compare.empty()) {
        CompareOutputs outputs;
        outputs.json = options.json;
        outputs.plot = options.plot;
        outputs.markdown = options.markdown;
        outputs.command = CommandLine(std::vector<std::wstring>(argv + 1, argv + argc));
        return CompareFiles(options.compare, outputs, stdout, stderr);
    }
    return Record(options);
}
