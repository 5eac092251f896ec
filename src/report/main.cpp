// zolvik-report: single-pass durations of a running Zolvik, read from its window, with a
// summary, results files of runs (CSV and JSON records), pictures and comparisons of runs.
// The program itself stays as it is: this companion only clicks its "Reset statistics" button
// and reads its pixels.
#include "cli/options.h"
#include "exit_codes.h"
#include "output/output.h"
#include "results/files.h"
#include "results/results.h"
#include "windows/check.h"
#include "windows/environment.h"
#include "windows/sampler.h"

#include <windows.h>

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
    HWND window = FindWindowW(L"ZolvikWindowClass", nullptr);
    if (!window) {
        error = "no Zolvik window is open (class ZolvikWindowClass)";
        return nullptr;
    }
    // Two windows of the program would each take the other's resets and readouts.
    if (FindWindowExW(nullptr, window, L"ZolvikWindowClass", nullptr)) {
        error = "more than one Zolvik window is open: close all but one";
        return nullptr;
    }
    code = kExitOk;
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

int Record(const Options& options)
{
    int code = kExitOk;
    std::string error;
    HWND window = FindProgram(code, error);
    HWND button = window ? GetDlgItem(window, 1) : nullptr;
    if (window && !button) {
        return Fail(kExitNoWindow, "the window has no \"Reset statistics\" button");
    }
    if (!window || (code = CheckOutputs(options, error)) != kExitOk) {
        return Fail(code, error);
    }
    CsvSink sink;
    if (!options.csv.empty()) {
        if ((code = OpenCsvSink(options.csv, options.append, sink, error)) != kExitOk) {
            return Fail(code, error);
        }
        std::printf("recording run %d into %s\n", sink.run, Utf8(options.csv).c_str());
    }
    std::FILE* trace = OpenTrace(options.trace, code, error);
    if (code != kExitOk) {
        CloseCsvSink(sink);
        return Fail(code, error);
    }
    // Gathered before sampling, so that none of it falls among the passes measured.
    const Provenance provenance = {ProgramJson(window), EnvironmentJson()};
    Run run = NumberedRun(sink.run);
    run.started = UtcNow();
    SampledRun sampled;
    code = SampleWindow(window, button, options, sink, trace, sampled);
    CloseCsvSink(sink);
    if (trace) {
        std::fclose(trace);
    }
    run.samples = sampled.samples;
    run.dropped = sampled.dropped;
    run.areaWidth = sampled.areaWidth;
    run.areaHeight = sampled.areaHeight;
    run.areaChanged = sampled.areaChanged;
    run.sampling = sampled.facts;
    if (!run.samples.empty() || run.dropped > 0) {
        PrintRunReport(stdout, "single-pass durations", ReportRun(Durations(run), run.dropped));
        PrintSamplingFacts(stdout, run);
    }
    int written = kExitOk;
    if (!options.json.empty() &&
        (written = WriteRecord(options.json, options.append, provenance, run, error)) != kExitOk) {
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
    if (!options.compare.empty()) {
        return CompareFiles(options.compare[0], options.compare[1], options.json, options.plot,
                            stdout, stderr);
    }
    return Record(options);
}
