// --compare: every side read once, runs against runs or a sweep against a sweep, then shown as
// text and written as JSON, a picture and a Markdown report as asked.
#include "commands/commands.h"

#include "exit_codes.h"
#include "output/json.h"
#include "output/markdown.h"
#include "output/svg.h"
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

// What a comparison can be written as: text in a format, a picture, and its text for people.
struct Writers {
    std::function<std::string(Format format)> text;
    std::function<int(const std::wstring& path, std::string& error)> picture;
    std::function<void()> print;
};

// Every file of the list in its order; what goes to standard output ("-") then stands there
// alone, else the text for people is printed.
int WriteComparison(const CompareOutputs& outputs, const Writers& writers, std::FILE* out,
                    std::FILE* errors)
{
    const Export* toScreen = nullptr;
    for (const Export& file : outputs.exports) {
        if (file.path == L"-") {
            toScreen = toScreen ? toScreen : &file;
            continue;
        }
        std::string error;
        const int code = file.format == Format::Svg
                             ? writers.picture(file.path, error)
                             : WriteOutput(file.path, writers.text(file.format), out, errors);
        if (code != kExitOk) {
            if (!error.empty()) {
                std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
            }
            return code;
        }
    }
    if (toScreen) {
        return WriteOutput(toScreen->path, writers.text(toScreen->format), out, errors);
    }
    writers.print();
    return kExitOk;
}

std::wstring PathOf(const CompareOutputs& outputs, Format format)
{
    for (const Export& file : outputs.exports) {
        if (file.format == format) {
            return file.path;
        }
    }
    return std::wstring();
}

int CompareSweepFiles(const std::vector<std::wstring>& paths,
                      const std::vector<ComparedFile>& files, const CompareOutputs& outputs,
                      std::FILE* out, std::FILE* errors)
{
    if (paths.size() != 2 || !PathOf(outputs, Format::Svg).empty()) {
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
    Writers writers;
    writers.text = [&](Format format) {
        return format == Format::Json ? SweepComparisonJson(comparison)
                                      : SweepComparisonMarkdown(comparison, outputs.command);
    };
    writers.print = [&] { PrintSweepComparison(out, comparison); };
    return WriteComparison(outputs, writers, out, errors);
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
    Writers writers;
    writers.text = [&](Format format) {
        return format == Format::Json
                   ? ComparisonJson(compared)
                   : ComparisonMarkdown(compared, PathOf(outputs, Format::Svg),
                                        PathOf(outputs, Format::Markdown), outputs.command);
    };
    writers.picture = [&](const std::wstring& path, std::string& error) {
        return WriteComparisonPlot(path, compared, error);
    };
    writers.print = [&] { PrintComparison(out, compared); };
    return WriteComparison(outputs, writers, out, errors);
}

int CompareAsAsked(const Options& options, const std::string& command, std::FILE* out,
                   std::FILE* errors)
{
    const CompareOutputs outputs = {ExportsOf(options), command};
    std::string error;
    const int checked = CheckExports(options, outputs.exports, error);
    if (checked != kExitOk) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
        return checked;
    }
    return CompareFiles(options.compare, outputs, out, errors);
}
