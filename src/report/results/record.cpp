#include "results/results.h"
#include "exit_codes.h"
#include "results/files.h"
#include "stats/machine.h"
#include "stats/stats.h"

#include <nlohmann/json.hpp>

#include <cmath>

using nlohmann::json;

namespace
{

const char kFormat[] = "zolvik-report record";
// 2: warnings and drops as codes. Records without a version (1) keep them as sentences.
constexpr int kFormatVersion = 2;

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
            {"samples", samples},
            {"dropped", run.dropped},
            {"summary", SummaryJson(report)},
            {"controls", SamplesJson(run.controls)},
            {"control", ControlJson(analysis.control)},
            {"sampling", SamplingJson(run)},
            {"warnings", warnings}};
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
bool Fail(std::string& error, const std::string& where, const std::string& what)
{
    error = where + ": " + what;
    return false;
}

bool Count(const json& value, double least, double& out)
{
    if (!value.is_number_integer() && !value.is_number_unsigned()) {
        return false;
    }
    out = value.get<double>();
    return out >= least && out <= 1e9;
}

bool Number(const json& value, double& out)
{
    if (!value.is_number()) {
        return false;
    }
    out = value.get<double>();
    return std::isfinite(out) && out >= 0;
}

bool ReadSample(const json& value, Sample& sample, const std::string& where, std::string& error)
{
    double index = 0;
    if (!value.is_object() || !value.contains("index") || !Count(value["index"], 1, index) ||
        !value.contains("seconds") || !Number(value["seconds"], sample.seconds) ||
        !value.contains("duration_ms") || !Number(value["duration_ms"], sample.durationMs)) {
        return Fail(error, where,
                    "a sample needs index (from 1), seconds and duration_ms (0 or more)");
    }
    sample.index = static_cast<std::size_t>(index);
    double pass = 0;
    if (value.contains("pass") && !Count(value["pass"], 1, pass)) {
        return Fail(error, where + ".pass", "not the index of a sample");
    }
    sample.pass = static_cast<std::size_t>(pass);
    return true;
}

bool ReadSamples(const json& array, std::vector<Sample>& samples, const std::string& where,
                 std::string& error)
{
    for (std::size_t i = 0; i < array.size(); ++i) {
        Sample sample = {};
        if (!ReadSample(array[i], sample, where + "[" + std::to_string(i) + "]", error)) {
            return false;
        }
        samples.push_back(sample);
    }
    return true;
}

bool ReadArea(const json& run, Run& out, const std::string& where, std::string& error)
{
    // Older records have no such field: their runs ran to their end.
    out.interrupted = run.contains("interrupted") && run["interrupted"].is_boolean() &&
                      run["interrupted"].get<bool>();
    if (!run.contains("drawing_area") || run["drawing_area"].is_null()) {
        return true;
    }
    const json& area = run["drawing_area"];
    double width = 0;
    double height = 0;
    if (!area.is_object() || !area.contains("width") || !Count(area["width"], 0, width) ||
        !area.contains("height") || !Count(area["height"], 0, height)) {
        return Fail(error, where + ".drawing_area", "needs whole width and height");
    }
    out.areaWidth = static_cast<int>(width);
    out.areaHeight = static_cast<int>(height);
    out.areaChanged = run.contains("drawing_area_changed") &&
                      run["drawing_area_changed"].is_boolean() &&
                      run["drawing_area_changed"].get<bool>();
    return true;
}

bool ReadRun(const json& value, std::size_t position, Run& run, const std::string& where,
             std::string& error)
{
    if (!value.is_object() || !value.contains("samples") || !value["samples"].is_array()) {
        return Fail(error, where, "a run needs an array of samples");
    }
    double number = static_cast<double>(position + 1);
    if (value.contains("run") && !Count(value["run"], 1, number)) {
        return Fail(error, where + ".run", "not a run number");
    }
    run.number = static_cast<int>(number);
    double dropped = 0;
    if (value.contains("dropped") && !Count(value["dropped"], 0, dropped)) {
        return Fail(error, where + ".dropped", "not a count");
    }
    run.dropped = static_cast<std::size_t>(dropped);
    if (value.contains("started") && value["started"].is_string()) {
        run.started = value["started"].get<std::string>();
    }
    if (!ReadArea(value, run, where, error)) {
        return false;
    }
    if (value.contains("precision") && !value["precision"].is_null()) {
        const json& precision = value["precision"];
        if (!precision.is_object() || !precision.contains("target_percent") ||
            !Number(precision["target_percent"], run.precision) || run.precision <= 0 ||
            !precision.contains("pilot") || !precision["pilot"].is_boolean()) {
            return Fail(error, where + ".precision",
                        "not {\"target_percent\": a number above 0, \"pilot\": true or false}");
        }
        run.pilot = precision["pilot"].get<bool>();
    }
    if (value.contains("controls") && !value["controls"].is_array()) {
        return Fail(error, where + ".controls", "not an array of samples");
    }
    return ReadSamples(value["samples"], run.samples, where + ".samples", error) &&
           (!value.contains("controls") ||
            ReadSamples(value["controls"], run.controls, where + ".controls", error));
}

bool ReadJsonFile(const std::wstring& path, json& document, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return Fail(error, Utf8(path), "cannot open");
    }
    document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        return Fail(error, Utf8(path), "not well-formed JSON");
    }
    return true;
}

bool ParseRecord(const json& document, ResultsFile& file, const std::string& name,
                 std::string& error)
{
    if (!document.is_object() || !document.contains("format") || document["format"] != kFormat) {
        return Fail(error, name,
                    std::string("not a zolvik-report record (\"format\": \"") + kFormat + "\")");
    }
    if (!document.contains("runs") || !document["runs"].is_array()) {
        return Fail(error, name, "a record needs an array of runs");
    }
    file = ResultsFile();
    file.record = true;
    file.provenance.program = document.value("program", json(nullptr)).dump();
    file.provenance.environment = document.value("environment", json(nullptr)).dump();
    const json& runs = document["runs"];
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Run run;
        if (!ReadRun(runs[i], i, run, name + ": runs[" + std::to_string(i) + "]", error)) {
            return false;
        }
        file.runs.push_back(run);
    }
    return true;
}

} // namespace

std::string DescribeMachine(const Provenance& provenance)
{
    const json environment = json::parse(provenance.environment, nullptr, false);
    std::string text;
    if (environment.is_object() && environment.contains("adapter") &&
        environment["adapter"].is_string()) {
        text = environment["adapter"].get<std::string>();
    }
    if (environment.is_object() && environment.contains("driver_version") &&
        environment["driver_version"].is_string()) {
        text += (text.empty() ? "driver " : ", driver ") +
                environment["driver_version"].get<std::string>();
    }
    return text;
}

std::string SideName(const std::wstring& path, const Provenance& provenance)
{
    const std::string machine = DescribeMachine(provenance);
    return machine.empty() ? Utf8(path) : machine + " (" + Utf8(path) + ")";
}

bool ReadRecord(const std::wstring& path, ResultsFile& file, std::string& error)
{
    json document;
    return ReadJsonFile(path, document, error) && ParseRecord(document, file, Utf8(path), error);
}

bool ReadResultsFile(const std::wstring& path, ResultsFile& file, std::string& error)
{
    std::FILE* probe = OpenForReading(path);
    if (!probe) {
        return Fail(error, Utf8(path), "cannot open");
    }
    int first = std::fgetc(probe);
    while (first == ' ' || first == '\t' || first == '\r' || first == '\n') {
        first = std::fgetc(probe);
    }
    std::fclose(probe);
    if (first == '{') {
        if (!ReadRecord(path, file, error)) {
            return false;
        }
        // A run cut short before its first pass has nothing to compare.
        std::vector<Run> runs;
        for (const Run& run : file.runs) {
            if (!run.samples.empty()) {
                runs.push_back(run);
            }
        }
        file.runs = runs;
        return !file.runs.empty() || Fail(error, Utf8(path), "no samples");
    }
    file = ResultsFile();
    return ReadRunsCsv(path, file.runs, error);
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

int WriteRecord(const std::wstring& path, bool append, const Provenance& provenance, Run run,
                const RunAnalysis& analysis, std::string& error)
{
    const std::string name = Utf8(path);
    json document = {{"format", kFormat},
                     {"format_version", kFormatVersion},
                     {"program", ObjectOrNull(provenance.program)},
                     {"environment", ObjectOrNull(provenance.environment)},
                     {"runs", json::array()}};
    bool otherEnvironment = false;
    run.number = 1;
    if (FileExists(path)) {
        ResultsFile existing;
        if (!append) {
            error = name + " exists: a results file is never overwritten; give --append to add a " +
                    "run to it, or another name";
            return kExitFileExists;
        }
        json old;
        if (!ReadJsonFile(path, old, error) || !ParseRecord(old, existing, name, error)) {
            error += "; --append adds runs only to a zolvik-report record";
            return kExitBadFile;
        }
        run.number = existing.runs.empty() ? 1 : existing.runs.back().number + 1;
        if (json::parse(existing.provenance.environment, nullptr, false) !=
            document["environment"]) {
            otherEnvironment = true;
        }
        document = old;
        if (!document.contains("format_version")) {
            UpgradeRuns(document);
        }
    }
    document["format_version"] = kFormatVersion;
    document["runs"].push_back(RunJson(run, analysis, otherEnvironment));
    // The side's noise over every run it now holds, and what two sides like it would take.
    ResultsFile all;
    std::string ignored;
    if (ParseRecord(document, all, name, ignored)) {
        std::vector<Run> sampled;
        for (const Run& r : all.runs) {
            if (!r.samples.empty()) {
                sampled.push_back(r);
            }
        }
        const SideNoise noise = MeasureNoise(sampled);
        document["noise"] = NoiseJson(noise);
        document["plan"] = PlanJson(PlanFor(kPlanTarget, noise, noise, -1), kPlanTarget);
    }
    const std::wstring temporary = path + L".partial";
    RemoveFile(temporary);
    bool existed = false;
    std::FILE* file = CreateNewFile(temporary, existed);
    const std::string text = document.dump(1) + "\n";
    const bool written = file && std::fputs(text.c_str(), file) >= 0;
    if ((file && std::fclose(file) != 0) || !written || !MoveOver(temporary, path)) {
        RemoveFile(temporary);
        error = "cannot write " + name;
        return kExitCannotWrite;
    }
    return kExitOk;
}
