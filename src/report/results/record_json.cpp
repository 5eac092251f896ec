#include "results/record_json.h"
#include "results/results.h"
#include "stats/precision.h"
#include "stats/stats.h"

#include <cmath>

using nlohmann::json;

namespace
{

json SummaryJson(const RunReport& r)
{
    const Summary& s = r.summary;
    json summary = {{"count", s.count},     {"minimum_ms", s.minimum}, {"median_ms", s.median},
                    {"mean_ms", s.mean},    {"p95_ms", s.p95},         {"maximum_ms", s.maximum},
                    {"stddev_ms", s.stddev}};
    if (r.estimate.freedom > 0) {
        summary["median_low_ms"] = r.estimate.low;
        summary["median_high_ms"] = r.estimate.high;
    } else {
        summary["median_low_ms"] = nullptr;
        summary["median_high_ms"] = nullptr;
    }
    return summary;
}

json SamplingJson(const Run& run)
{
    const SamplingFacts& f = run.sampling;
    if (!f.known) {
        return nullptr;
    }
    json drops = json::object();
    for (const auto& drop : f.drops) {
        drops[DropCode(drop.first)] = drop.second;
    }
    const double samples = run.samples.empty() ? 1 : static_cast<double>(run.samples.size());
    return {{"looks", f.looks},
            {"looks_per_sample", static_cast<double>(f.looks) / samples},
            {"looks_inside_passes", f.looksInPasses},
            {"looks_inside_passes_per_sample", static_cast<double>(f.looksInPasses) / samples},
            {"probes", f.probes},
            {"resets", f.resets},
            {"dropped_by_reason", drops},
            {"error_bound_ms", f.errorBoundMs}};
}

json SamplesJson(const std::vector<Sample>& samples)
{
    json array = json::array();
    for (const Sample& s : samples) {
        json sample = {{"index", s.index}, {"seconds", s.seconds}, {"duration_ms", s.durationMs}};
        if (s.pass > 0) {
            sample["pass"] = s.pass;
        }
        array.push_back(sample);
    }
    return array;
}

// The control's median and the time on screen relative to it, with the interval when the run
// has one; null for a run without a control.
json ControlJson(const ControlEstimate& e)
{
    if (e.count == 0) {
        return nullptr;
    }
    const bool interval = e.high > 0;
    return {{"count", e.count},
            {"median_ms", e.median},
            {"on_screen_per_in_memory", e.ratio},
            {"low", interval ? json(e.low) : json(nullptr)},
            {"high", interval ? json(e.high) : json(nullptr)}};
}

// The sentences records before format 2 kept, and their codes. A sentence that maps to none is
// kept as text.
const std::pair<const char*, const char*> kOldWarnings[] = {
    {"too few samples for an interval", "too_few_samples"},
    {"drifted:", "drifted"},
    {"unstable:", "unstable"},
    {"passes were dropped", "many_dropped"},
    {"passes ran back to back", "passes_back_to_back"},
    {"the drawing area changed during the run", "drawing_area_changed"},
    {"interrupted:", "interrupted"},
    {"recorded in another environment", "other_environment"},
};
const std::pair<const char*, const char*> kOldDrops[] = {
    {"the looks around a change left room for two passes", "two_passes"},
    {"the readout changed in a way no single pass explains", "implausible"},
    {"Zolvik was minimized", "minimized"},
    {"Zolvik's window was hidden", "hidden"},
    {"Zolvik's drawing area was not wholly on the screen", "off_screen"},
    {"a window lay over Zolvik's readout", "covered"},
    {"the readout could not be read", "undecodable"},
};

// A warning as a record keeps it: its code, and the figures its words give.
json WarningJson(const RunWarning& w)
{
    json warning = {{"code", RunWarningCode(w.kind)}};
    switch (w.kind) {
    case RunWarning::TooFewSamples:
        warning["needed"] = w.a;
        break;
    case RunWarning::Drifted:
        warning["first_half_ms"] = w.a;
        warning["second_half_ms"] = w.b;
        warning["ratio"] = w.c;
        break;
    case RunWarning::Unstable:
        warning["robust_cv"] = w.a;
        warning["usual_below"] = w.b;
        break;
    case RunWarning::ManyDropped:
        warning["dropped"] = w.a;
        warning["looked"] = w.b;
        break;
    case RunWarning::BackToBack:
    case RunWarning::AreaChanged:
    case RunWarning::Interrupted:
    case RunWarning::OtherEnvironment:
        break;
    }
    return warning;
}

json LevelJson(const LevelNoise& level)
{
    return {{"runs", level.runs},
            {"within_run", level.withinRun},
            {"per_pass", level.perPass},
            {"runs_apart", level.runs >= 2 ? json(level.spread) : json(nullptr)},
            {"between_runs", level.runs >= 2 ? json(level.betweenRuns) : json(nullptr)}};
}

// Reading: every value is checked for its type and range, and an error names where it is.
} // namespace

// An older record's runs in format 2, so that one file keeps one format: each warning a code
// (with the sentence it was, which holds its figures), each drop keyed by its code.
void UpgradeRuns(json& document)
{
    if (!document.contains("runs") || !document["runs"].is_array()) {
        return;
    }
    for (json& run : document["runs"]) {
        if (run.contains("warnings") && run["warnings"].is_array()) {
            json warnings = json::array();
            for (const json& w : run["warnings"]) {
                const std::string text = w.is_string() ? w.get<std::string>() : w.dump();
                std::string code = "text";
                for (const auto& [sentence, known] : kOldWarnings) {
                    code = text.find(sentence) != std::string::npos ? known : code;
                }
                warnings.push_back({{"code", code}, {"text", text}});
            }
            run["warnings"] = warnings;
        }
        json* sampling =
            run.contains("sampling") && run["sampling"].is_object() ? &run["sampling"] : nullptr;
        if (sampling && sampling->contains("dropped_by_reason") &&
            (*sampling)["dropped_by_reason"].is_object()) {
            json drops = json::object();
            for (const auto& [key, count] : (*sampling)["dropped_by_reason"].items()) {
                std::string code = key;
                for (const auto& [sentence, known] : kOldDrops) {
                    code = key == sentence ? known : code;
                }
                drops[code] = count;
            }
            (*sampling)["dropped_by_reason"] = drops;
        }
    }
}

json RunJson(const Run& run, const RunAnalysis& analysis, bool otherEnvironment)
{
    const RunReport& report = analysis.report;
    const json samples = SamplesJson(run.samples);
    std::vector<RunWarning> all = report.warnings;
    const struct {
        bool when;
        RunWarning::Kind kind;
    } recorded[] = {{otherEnvironment, RunWarning::OtherEnvironment},
                    {run.sampling.backToBack, RunWarning::BackToBack},
                    {run.areaChanged, RunWarning::AreaChanged},
                    {run.interrupted, RunWarning::Interrupted}};
    for (const auto& r : recorded) {
        if (r.when) {
            all.push_back({r.kind});
        }
    }
    json warnings = json::array();
    for (const RunWarning& warning : all) {
        warnings.push_back(WarningJson(warning));
    }
    json area = nullptr;
    if (run.areaWidth > 0 || run.areaHeight > 0) {
        area = {{"width", run.areaWidth}, {"height", run.areaHeight}};
    }
    return {{"run", run.number},
            {"started", run.started.empty() ? json(nullptr) : json(run.started)},
            {"drawing_area", area},
            {"drawing_area_changed", run.areaChanged},
            {"interrupted", run.interrupted},
            {"precision", run.precision > 0
                              ? json({{"target_percent", run.precision}, {"pilot", run.pilot}})
                              : json(nullptr)},
            {"note", run.note.empty() ? json(nullptr) : json(run.note)},
            {"samples", samples},
            {"dropped", run.dropped},
            {"summary", SummaryJson(report)},
            {"controls", SamplesJson(run.controls)},
            {"control", ControlJson(analysis.control)},
            {"sampling", SamplingJson(run)},
            {"warnings", warnings}};
}

json ObjectOrNull(const std::string& text)
{
    const json value = json::parse(text, nullptr, false);
    return value.is_discarded() ? json(nullptr) : value;
}

json NoiseJson(const SideNoise& noise)
{
    return {
        {"raw", LevelJson(noise.raw)},
        {"in_memory", noise.controlled ? LevelJson(noise.memory) : json(nullptr)},
        {"on_screen_per_in_memory", noise.controlled ? LevelJson(noise.relative) : json(nullptr)},
        {"passes_per_run", noise.passesPerRun},
        {"seconds_per_pass", noise.secondsPerPass},
        {"pause_seconds", noise.pauseSeconds >= 0 ? json(noise.pauseSeconds) : json(nullptr)}};
}

json PlanJson(const Plan& plan, double target)
{
    return {{"target_percent", target * 100},
            {"figure", plan.usesRelative ? "on_screen_per_in_memory" : "raw"},
            {"runs", plan.possible ? json(plan.runs) : json(nullptr)},
            {"passes", plan.possible ? json(plan.passes) : json(nullptr)},
            {"minutes_a_side", plan.possible ? json(plan.minutes) : json(nullptr)},
            {"expected_percent", plan.possible ? json(plan.expected * 100) : json(nullptr)},
            {"floor_percent", plan.measured ? json(plan.floor * 100) : json(nullptr)}};
}
