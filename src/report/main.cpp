// zolvik-report: single-pass durations of a running Zolvik, read from its window, with a
// summary, results files of runs (CSV and JSON records), pictures and comparisons of runs.
// The program itself stays as it is: this companion only clicks its "Reset statistics" button
// and reads its pixels. Here: the modes that need the window; what follows sampling is in
// commands/.
#include "cli/options.h"
#include "commands/commands.h"
#include "exit_codes.h"
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

bool OnConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

// What a recording and a sweep both start from: the window with its button, the outputs
// checked and the trace opened before any sampling, and the progress line.
struct Desk {
    HWND window = nullptr;
    HWND button = nullptr;
    std::FILE* trace = nullptr;
    Progress progress;
};

int OpenDesk(const Options& options, Desk& desk)
{
    int code = kExitOk;
    std::string error;
    desk.window = FindProgram(code, error);
    if (!desk.window) {
        return Fail(code, error);
    }
    desk.button = GetDlgItem(desk.window, IDC_RESET_STATISTICS);
    if (!desk.button) {
        return Fail(kExitNoWindow, "the window has no \"Reset statistics\" button");
    }
    if ((code = OpenOutputs(options, desk.trace, error)) != kExitOk) {
        return Fail(code, error);
    }
    desk.progress.console = OnConsole();
    return kExitOk;
}

void CloseDesk(Desk& desk)
{
    if (desk.trace) {
        std::fclose(desk.trace);
    }
}

// One run into the results files; `append` adds it to what earlier runs wrote.
int RecordRun(const Options& options, Desk& desk, bool append, int runIndex, Run& run)
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
    if (desk.trace && runIndex > 1) {
        // Each run's times count from its own start.
        std::fprintf(desk.trace, "0.000,run,\"%d\",\"started\"\n", runIndex);
    }
    // Gathered before sampling, so that none of it falls among the passes measured.
    const Provenance provenance = {ProgramJson(desk.window), EnvironmentJson()};
    run.number = sink.run;
    run.started = UtcNow();
    code = SampleWindow(desk.window, desk.button, options, sink, desk.trace, desk.progress,
                        runIndex, run);
    CloseCsvSink(sink);
    const int written = FinishRun(options, provenance, run, append, stdout, stderr);
    return code != kExitOk ? code : written;
}

// The pause before run `next`, counted down; the program must still be there after it.
int PauseBetweenRuns(HWND window, double seconds, int next, Progress& progress)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    bool first = true;
    for (ULONGLONG now = GetTickCount64(); now < end && IsWindow(window) && !StopRequested();
         now = GetTickCount64()) {
        char text[120];
        std::snprintf(text, sizeof text, "run %d of %d starts in %.0f s", next, progress.runs,
                      std::ceil(static_cast<double>(end - now) / 1000));
        ShowProgress(progress, text, static_cast<double>(now) / 1000, first);
        first = false;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 1000)));
    }
    EndProgressLine(progress);
    if (StopRequested()) {
        return Fail(kExitInterrupted, "stopped between runs: the runs recorded are kept");
    }
    return IsWindow(window) ? kExitOk
                            : Fail(kExitWindowClosed, "the Zolvik window closed between runs");
}

// --runs N or --precision P: the runs one after another into one file, --pause seconds apart.
// Ctrl+C ends the run being sampled, which is written as far as it came, marked as interrupted.
int Record(const Options& options)
{
    Desk desk;
    int code = OpenDesk(options, desk);
    if (code != kExitOk) {
        return code;
    }
    desk.progress.runs = static_cast<int>(options.runs);
    desk.progress.samples = options.samples;
    desk.progress.seconds = options.seconds;
    desk.progress.pauseS = options.pause;
    WatchForStop();
    RecordingPort port;
    port.record = [&](int index, int planned, bool append, Run& run) {
        desk.progress.runs = planned;
        return RecordRun(options, desk, append, index, run);
    };
    port.pause = [&](double seconds, int next, int planned) {
        desk.progress.runs = planned;
        return PauseBetweenRuns(desk.window, seconds, next, desk.progress);
    };
    code = RecordRuns(options, port, stdout);
    CloseDesk(desk);
    StopHandled();
    return code;
}

// --sweep: the areas visited in turn, then the table, the record and the picture. Nothing is
// written for a sweep that did not finish: a fit over some of the areas says less than it seems.
int Sweep(const Options& options)
{
    Desk desk;
    int code = OpenDesk(options, desk);
    if (code != kExitOk) {
        return code;
    }
    SweepRecord record;
    record.provenance = {ProgramJson(desk.window), EnvironmentJson()};
    record.started = UtcNow();
    code = SweepWindow(desk.window, desk.button, options, desk.trace, desk.progress, record);
    CloseDesk(desk);
    if (code != kExitOk) {
        std::fprintf(stderr, "zolvik-report: the sweep did not finish: nothing was recorded\n");
        return code;
    }
    return FinishSweep(options, record, stdout, stderr);
}

int Check()
{
    int code = kExitOk;
    std::string error;
    HWND window = FindProgram(code, error);
    return window ? CheckSetup(window) : Fail(code, error);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::vector<std::wstring> arguments(argv + 1, argv + argc);
    Options options;
    std::string error;
    if (!ParseOptions(arguments, options, error)) {
        std::fprintf(stderr, "zolvik-report: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    switch (options.mode) {
    case Mode::Help:
        std::fputs(kUsage, stdout);
        return kExitOk;
    case Mode::Version:
        std::printf("%s\n", ZOLVIK_VERSION_TEXT);
        return kExitOk;
    case Mode::Check:
        return Check();
    case Mode::Plan:
        return PlanFromFile(options.planFile, options.plan / 100, stdout, stderr);
    case Mode::Sweep:
        return Sweep(options);
    case Mode::Compare:
        return CompareAsAsked(options, CommandLine(arguments), stdout, stderr);
    case Mode::Record:
        return Record(options);
    }
    return Record(options);
}
