// A recording of runs, one after another into one file: --runs N of them, or, with
// --precision, as many as the pilot's spread says two sides need. After each run from the
// second on, the noise so far and where the precision stands; at the end, the plan.
#include "commands/commands.h"

#include "exit_codes.h"
#include "results/results.h"
#include "stats/precision.h"

#include <algorithm>

namespace
{

double PlanTarget(const Options& options)
{
    return options.precision > 0 ? options.precision / 100 : kPlanTarget;
}

void PrintLines(std::FILE* out, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        std::fprintf(out, "%s\n", line.c_str());
    }
}

} // namespace

int RecordRuns(const Options& options, const RecordingPort& port, std::FILE* out)
{
    const long most = options.runs;
    long planned = options.precision > 0 ? std::max<long>(kPilotRuns, 1) : most;
    planned = std::min(planned, most);
    std::vector<Run> runs;
    int code = kExitOk;
    for (long i = 1; i <= planned && code == kExitOk; ++i) {
        if (i > 1 && (code = port.pause(options.pause, static_cast<int>(i),
                                        static_cast<int>(planned))) != kExitOk) {
            break;
        }
        Run run;
        run.precision = options.precision;
        run.note = options.note;
        run.pilot = options.precision > 0 && i <= static_cast<long>(kPilotRuns);
        code = port.record(static_cast<int>(i), static_cast<int>(planned), options.append || i > 1,
                           run);
        if (!run.samples.empty()) {
            runs.push_back(run);
        }
        if (runs.size() >= 2) {
            PrintLines(out, NoiseLines(MeasureNoise(runs), ""));
        }
        if (options.precision > 0) {
            const PrecisionStand stand =
                StandAfter(runs, PlanTarget(options), static_cast<std::size_t>(most));
            const SideNoise noise = MeasureNoise(runs);
            const double minutesARun =
                (noise.secondsPerPass * noise.passesPerRun + options.pause) / 60;
            std::fprintf(out, "%s\n", StandText(stand, minutesARun).c_str());
            // Until the pilot is in, the runs taken are the pilot's; then the pilot alone
            // decides, and nothing later changes it.
            planned = stand.needed > 0 ? static_cast<long>(stand.needed)
                                       : std::min<long>(most, static_cast<long>(kPilotRuns));
            if (stand.done) {
                planned = static_cast<long>(runs.size());
            }
        }
    }
    if (!runs.empty()) {
        const SideNoise noise = MeasureNoise(runs);
        std::fprintf(out, "plan: %s\n",
                     PlanText(PlanFor(PlanTarget(options), noise, noise, options.pause),
                              PlanTarget(options), "a side recorded alike")
                         .c_str());
    }
    return code;
}

int PlanFromFile(const std::wstring& path, double target, std::FILE* out, std::FILE* errors)
{
    ResultsFile file;
    std::string error;
    if (!ReadResultsFile(path, file, error)) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
        return kExitBadFile;
    }
    const SideNoise noise = MeasureNoise(file.runs);
    PrintLines(out, NoiseLines(noise, ""));
    std::fprintf(
        out, "plan: %s\n",
        PlanText(PlanFor(target, noise, noise, -1), target, "a side recorded alike").c_str());
    return kExitOk;
}
