#include "model/run.h"
#include "model/grid.h"

Run NumberedRun(int number, std::vector<Sample> samples)
{
    Run run;
    run.number = number;
    run.samples = std::move(samples);
    return run;
}

std::vector<double> DurationsOf(const std::vector<Sample>& samples)
{
    std::vector<double> durations;
    for (const Sample& sample : samples) {
        durations.push_back(sample.durationMs);
    }
    return durations;
}

std::vector<double> Durations(const Run& run)
{
    return DurationsOf(run.samples);
}

std::vector<double> ControlDurations(const Run& run)
{
    return DurationsOf(run.controls);
}

std::string AreaText(const Run& run)
{
    return run.areaWidth > 0 || run.areaHeight > 0 ? AreaName({run.areaWidth, run.areaHeight})
                                                   : std::string();
}
