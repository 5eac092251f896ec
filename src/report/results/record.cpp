#include "results/results.h"
#include "results/record_json.h"
#include "results/sweep_record.h"
#include "exit_codes.h"
#include "results/files.h"
#include "stats/control.h"
#include "stats/stats.h"

#include <nlohmann/json.hpp>

#include <cmath>

using nlohmann::json;

namespace
{

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
    if (value.contains("note") && !value["note"].is_null()) {
        if (!value["note"].is_string()) {
            return Fail(error, where + ".note", "not a string");
        }
        run.note = value["note"].get<std::string>();
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
    if (!document.is_object() || !document.contains("format") ||
        document["format"] != kRecordFormat) {
        return Fail(error, name,
                    std::string("not a zolvik-report record (\"format\": \"") + kRecordFormat +
                        "\")");
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

// Only runs with samples: a run cut short before its first pass has nothing to compare.
bool KeepSampledRuns(ResultsFile& file, const std::string& name, std::string& error)
{
    std::vector<Run> runs;
    for (const Run& run : file.runs) {
        if (!run.samples.empty()) {
            runs.push_back(run);
        }
    }
    file.runs = runs;
    return !file.runs.empty() || Fail(error, name, "no samples");
}

bool ReadComparedFile(const std::wstring& path, ComparedFile& file, std::string& error)
{
    const std::string name = Utf8(path);
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return Fail(error, name, "cannot open");
    }
    file = ComparedFile();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || text[first] != '{') {
        return ParseRunsCsv(name, text, file.results.runs, error);
    }
    const json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        return Fail(error, name, "not well-formed JSON");
    }
    if (document.is_object() && document.value("format", json()) == kSweepFormat) {
        file.sweep = true;
        return ParseSweepRecord(document, file.sweepRecord, name, error);
    }
    return ParseRecord(document, file.results, name, error) &&
           KeepSampledRuns(file.results, name, error);
}

bool ReadResultsFile(const std::wstring& path, ResultsFile& file, std::string& error)
{
    ComparedFile compared;
    if (!ReadComparedFile(path, compared, error)) {
        return false;
    }
    if (compared.sweep) {
        return Fail(error, Utf8(path), "a sweep, not runs");
    }
    file = std::move(compared.results);
    return true;
}

int WriteRecord(const std::wstring& path, bool append, const Provenance& provenance, Run run,
                const RunAnalysis& analysis, std::string& error)
{
    const std::string name = Utf8(path);
    json document = {{"format", kRecordFormat},
                     {"format_version", kRecordFormatVersion},
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
    document["format_version"] = kRecordFormatVersion;
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
