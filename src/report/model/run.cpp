#include "model/run.h"
#include "model/grid.h"
#include "model/sweep.h"

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

const char* DropCode(DropReason reason)
{
    switch (reason) {
    case DropReason::TwoPasses:
        return "two_passes";
    case DropReason::Implausible:
        return "implausible";
    case DropReason::Minimized:
        return "minimized";
    case DropReason::Hidden:
        return "hidden";
    case DropReason::OffScreen:
        return "off_screen";
    case DropReason::Covered:
        return "covered";
    case DropReason::Undecodable:
        return "undecodable";
    case DropReason::kCount:
        break;
    }
    return "";
}

std::string AreaText(const Run& run)
{
    return run.areaWidth > 0 || run.areaHeight > 0 ? AreaName({run.areaWidth, run.areaHeight})
                                                   : std::string();
}

const char* SweepWarningCode(SweepWarning::Kind kind)
{
    switch (kind) {
    case SweepWarning::AreaNotAsAsked:
        return "area_not_as_asked";
    case SweepWarning::VisitLeftOut:
        return "visit_left_out";
    case SweepWarning::Text:
        return "text";
    }
    return "text";
}
