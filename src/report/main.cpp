// zolvik-report: single-pass durations of a running Zolvik, read from its window, with a
// summary, a results file of runs and comparisons of runs. The program itself stays as it
// is: this companion only clicks its "Reset statistics" button and reads its pixels.
#include "report.h"
#include "sampler.h"

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

int Record(const Options& options)
{
    HWND window = FindWindowW(L"ZolvikWindowClass", nullptr);
    if (!window) {
        return Fail(kExitNoWindow, "no Zolvik window is open (class ZolvikWindowClass)");
    }
    // Two windows of the program would each take the other's resets and readouts.
    if (FindWindowExW(nullptr, window, L"ZolvikWindowClass", nullptr)) {
        return Fail(kExitNoWindow, "more than one Zolvik window is open: close all but one");
    }
    HWND button = GetDlgItem(window, 1);
    if (!button) {
        return Fail(kExitNoWindow, "the window has no \"Reset statistics\" button");
    }
    CsvSink sink;
    std::string error;
    if (!options.csv.empty()) {
        const int code = OpenCsvSink(options.csv, options.append, sink, error);
        if (code != kExitOk) {
            return Fail(code, error);
        }
        std::printf("recording run %d into %s\n", sink.run, Utf8(options.csv).c_str());
    }
    SampledRun run;
    const int code = SampleWindow(window, button, options, sink, run);
    CloseCsvSink(sink);
    const std::vector<double> durations = Durations(NumberedRun(sink.run, run.samples));
    if (!durations.empty() || run.dropped > 0) {
        PrintRunReport(stdout, "single-pass durations", ReportRun(durations, run.dropped));
    }
    return code;
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
    if (!options.compare.empty()) {
        return CompareFiles(options.compare[0], options.compare[1], options.json, stdout, stderr);
    }
    return Record(options);
}
