#include "results/results.h"

Run NumberedRun(int number, std::vector<Sample> samples)
{
    Run run;
    run.number = number;
    run.samples = std::move(samples);
    return run;
}

std::vector<double> Durations(const Run& run)
{
    std::vector<double> durations;
    for (const Sample& sample : run.samples) {
        durations.push_back(sample.durationMs);
    }
    return durations;
}

std::vector<double> ControlDurations(const Run& run)
{
    std::vector<double> durations;
    for (const Sample& control : run.controls) {
        durations.push_back(control.durationMs);
    }
    return durations;
}
