// The files a command writes, listed from its options and checked before anything is sampled
// or read.
#include "commands/commands.h"

#include "exit_codes.h"
#include "results/files.h"
#include "results/results.h"

namespace
{

std::string Exists(const std::wstring& path)
{
    return Utf8(path) + " exists: zolvik-report never overwrites a file";
}

// A recording's results file exists: it is added to with --append, and only where it is a
// file of its kind; the CSV's own form is checked as its run opens it, before sampling.
int CheckAppend(const Options& options, const Export& file, std::string& error)
{
    if (!options.append) {
        error = Utf8(file.path) + " exists: a results file is never overwritten; give " +
                "--append to add a run to it, or another name";
        return kExitFileExists;
    }
    ResultsFile existing;
    if (file.format == Format::Json && !ReadRecord(file.path, existing, error)) {
        error += "; --append adds runs only to a zolvik-report record";
        return kExitBadFile;
    }
    return kExitOk;
}

} // namespace

std::vector<Export> ExportsOf(const Options& options)
{
    // The picture before the report that links it.
    const Export all[] = {{Format::Trace, options.trace},
                          {Format::Csv, options.csv},
                          {Format::Json, options.json},
                          {Format::Svg, options.plot},
                          {Format::Markdown, options.markdown}};
    std::vector<Export> exports;
    for (const Export& file : all) {
        if (!file.path.empty()) {
            exports.push_back(file);
        }
    }
    return exports;
}

int CheckExports(const Options& options, const std::vector<Export>& exports, std::string& error)
{
    for (const Export& file : exports) {
        if (file.path == L"-" || !FileExists(file.path)) {
            continue;
        }
        const bool results = file.format == Format::Csv || file.format == Format::Json;
        if (options.mode == Mode::Record && results) {
            const int code = CheckAppend(options, file, error);
            if (code != kExitOk) {
                return code;
            }
            continue;
        }
        error = Exists(file.path);
        return kExitFileExists;
    }
    return kExitOk;
}

int OpenOutputs(const Options& options, std::FILE*& trace, std::string& error)
{
    trace = nullptr;
    const int checked = CheckExports(options, ExportsOf(options), error);
    if (checked != kExitOk || options.trace.empty()) {
        return checked;
    }
    bool existed = false;
    trace = CreateNewFile(options.trace, existed);
    if (!trace) {
        error = existed ? Exists(options.trace) : Utf8(options.trace) + ": cannot write";
        return existed ? kExitFileExists : kExitCannotWrite;
    }
    std::fputs("ms,event,seen,action\n", trace);
    return kExitOk;
}
