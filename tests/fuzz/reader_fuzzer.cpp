// libFuzzer entry for zolvik-report's readers: any bytes as a CSV file or a record must give
// runs or a message, never a crash or a hang.
#include "results/results.h"
#include "stats/stats.h"
#include "stats/verdict.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string name = "/tmp/zolvik_reader_fuzz_" + std::to_string(getpid());
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    const std::wstring path(name.begin(), name.end());
    std::vector<Run> runs;
    std::string error;
    ResultsFile results;
    const bool read[] = {ReadRunsCsv(path, runs, error), ReadRecord(path, results, error),
                         ReadResultsFile(path, results, error)};
    for (bool ok : read) {
        if (!ok && error.empty()) {
            std::fprintf(stderr, "a reader refused the file without saying why\n");
            std::abort();
        }
    }
    if (read[2] && !results.runs.empty()) {
        // What --compare and the summaries do with what was read.
        const std::size_t half = (results.runs.size() + 1) / 2;
        const std::vector<Run> first(results.runs.begin(), results.runs.begin() + half);
        const std::vector<Run> second(
            results.runs.begin() + (half < results.runs.size() ? half : 0), results.runs.end());
        CompareRuns(first, second);
        for (const Run& run : results.runs) {
            ReportRun(Durations(run), run.dropped);
        }
    }
    std::remove(name.c_str());
    return 0;
}
