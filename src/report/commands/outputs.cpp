// The files a recording or a sweep writes, checked before any sampling.
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

} // namespace

int OpenOutputs(const Options& options, std::FILE*& trace, std::string& error)
{
    trace = nullptr;
    if (!options.json.empty() && FileExists(options.json)) {
        if (options.mode == Mode::Sweep) {
            error = Exists(options.json);
            return kExitFileExists;
        }
        if (!options.append) {
            error = Utf8(options.json) + " exists: a results file is never overwritten; give " +
                    "--append to add a run to it, or another name";
            return kExitFileExists;
        }
        ResultsFile existing;
        if (!ReadRecord(options.json, existing, error)) {
            error += "; --append adds runs only to a zolvik-report record";
            return kExitBadFile;
        }
    }
    for (const std::wstring* path : {&options.plot, &options.trace}) {
        if (!path->empty() && FileExists(*path)) {
            error = Exists(*path);
            return kExitFileExists;
        }
    }
    if (options.trace.empty()) {
        return kExitOk;
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
