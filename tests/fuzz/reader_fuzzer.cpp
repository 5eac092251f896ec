// libFuzzer entry for zolvik-report's readers: any bytes as a CSV file or a record must give
// runs or a message, never a crash or a hang.
#include "report.h"

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
        CompareRuns(results.runs, results.runs);
    }
    std::remove(name.c_str());
    return 0;
}
