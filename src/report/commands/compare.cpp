// --compare: every side read once, runs against runs or a sweep against a sweep, then shown as
// text and written as JSON, a picture and a Markdown report as asked.
#include "commands/commands.h"

#include "exit_codes.h"
#include "output/sweep_output.h"
#include "results/files.h"
#include "results/results.h"
#include "results/sweep_record.h"

#include <functional>
#include <utility>

namespace
{

// Writes `text` to `path`, or to standard output for "-".
int WriteOutput(const std::wstring& path, const std::string& text, std::FILE* out,
                std::FILE* errors)
{
    if (path == L"-") {
        return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0 ? kExitOk
                                                                           : kExitCannotWrite;
    }
    std::string error;
    const int code = WriteNewFile(path, text, error);
    if (code != kExitOk) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
    }
    return code;
}

// The JSON and the Markdown as asked: files first; what goes to standard output ("-") then
// stands there alone, else the text is printed.
int WriteComparison(const CompareOutputs& outputs, const std::function<std::string()>& json,
                    const std::function<std::string()>& markdown,
                    const std::function<void()>& printText, std::FILE* out, std::FILE* errors)
{
    const std::pair<const std::wstring*, std::string> texts[] = {
        {&outputs.json, outputs.json.empty() ? "" : json()},
        {&outputs.markdown, outputs.markdown.empty() ? "" : markdown()}};
    for (const auto& [path, text] : texts) {
        const int code =
            path->empty() || *path == L"-" ? kExitOk : WriteOutput(*path, text, out, errors);
        if (code != kExitOk) {
            return code;
        }
    }
    for (const auto& [path, text] : texts) {
        if (*path == L"-") {
            return WriteOutput(*path, text, out, errors);
        }
    }
    printText();
    return kExitOk;
}

int CompareSweepFiles(const std::vector<std::wstring>& paths,
                      const std::vector<ComparedFile>& files, const CompareOutputs& outputs,
                      std::FILE* out, std::FILE* errors)
{
    if (paths.size() != 2 || !outputs.plot.empty()) {
        std::fprintf(errors,
                     "zolvik-report: sweeps compare two at a time, and without --plot: "
                     "each sweep draws its own picture (--sweep --plot)\n%s",
                     kUsage);
        return kExitUsage;
    }
    const SweepRecord records[2] = {files[0].sweepRecord, files[1].sweepRecord};
    const SweepComparison comparison =
        CompareSweeps(records[0], SideName(paths[0], records[0].provenance), records[1],
                      SideName(paths[1], records[1].provenance));
    return WriteComparison(
        outputs, [&] { return SweepComparisonJson(comparison); },
        [&] { return SweepComparisonMarkdown(comparison, outputs.command); },
        [&] { PrintSweepComparison(out, comparison); }, out, errors);
}

} // namespace

int CompareFiles(const std::vector<std::wstring>& paths, const CompareOutputs& outputs,
                 std::FILE* out, std::FILE* errors)
{
    // Each file read once: whether it holds runs or a sweep is in what was read.
    std::vector<ComparedFile> read(paths.size());
    std::string error;
    std::size_t sweeps = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!ReadComparedFile(paths[i], read[i], error)) {
            std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
            return kExitBadFile;
        }
        sweeps += read[i].sweep ? 1 : 0;
    }
    if (sweeps == paths.size()) {
        return CompareSweepFiles(paths, read, outputs, out, errors);
    }
    if (sweeps > 0) {
        std::fprintf(errors, "zolvik-report: a sweep compares only with another sweep\n");
        return kExitBadFile;
    }
    std::vector<ResultsFile> files;
    for (ComparedFile& file : read) {
        files.push_back(std::move(file.results));
    }
    const ComparedSides compared = CompareSides(paths, std::move(files));
    if (!outputs.plot.empty()) {
        const int plotted = WriteComparisonPlot(outputs.plot, compared, error);
        if (plotted != kExitOk) {
            std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
            return plotted;
        }
    }
    return WriteComparison(
        outputs, [&] { return ComparisonJson(compared); },
        [&] {
            return ComparisonMarkdown(compared, outputs.plot, outputs.markdown, outputs.command);
        },
        [&] { PrintComparison(out, compared); }, out, errors);
}
