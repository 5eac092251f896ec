#include "output/output.h"
#include "results/files.h"
#include "exit_codes.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace
{

void PrintSide(std::FILE* out, const char* label, const std::wstring& path,
               const std::vector<Run>& runs)
{
    std::fprintf(out, "%s: %s, %zu run%s\n", label, Utf8(path).c_str(), runs.size(),
                 runs.size() == 1 ? "" : "s");
    for (const Run& run : runs) {
        const RunReport r = ReportRun(Durations(run), run.dropped);
        std::fprintf(out, "  run %d: %zu samples, median %.6f ms", run.number, r.summary.count,
                     r.estimate.median);
        if (!AreaText(run).empty()) {
            std::fprintf(out, ", drawing area %s", AreaText(run).c_str());
        }
        if (r.estimate.freedom > 0) {
            std::fprintf(out, " (95 %% interval %.6f-%.6f)", r.estimate.low, r.estimate.high);
        }
        std::fprintf(out, "\n");
        for (const std::string& warning : r.warnings) {
            std::fprintf(out, "    warning: %s\n", warning.c_str());
        }
    }
}

// Flattens a provenance object into "path: value" rows, as text.
void Flatten(const nlohmann::json& value, const std::string& path,
             std::vector<std::pair<std::string, std::string>>& rows)
{
    if (value.is_object()) {
        for (auto item = value.begin(); item != value.end(); ++item) {
            Flatten(item.value(), path.empty() ? item.key() : path + "." + item.key(), rows);
        }
    } else {
        rows.emplace_back(path, value.is_string() ? value.get<std::string>() : value.dump());
    }
}

std::vector<std::pair<std::string, std::string>> ProvenanceRows(const ResultsFile& file)
{
    std::vector<std::pair<std::string, std::string>> rows;
    if (file.record) {
        Flatten(nlohmann::json::parse(file.provenance.program, nullptr, false), "program", rows);
        Flatten(nlohmann::json::parse(file.provenance.environment, nullptr, false), "", rows);
    }
    return rows;
}

// Both environments side by side; a star marks what differs.
void PrintEnvironments(std::FILE* out, const ResultsFile& a, const ResultsFile& b)
{
    const auto rowsA = ProvenanceRows(a);
    const auto rowsB = ProvenanceRows(b);
    std::vector<std::string> keys;
    for (const auto* rows : {&rowsA, &rowsB}) {
        for (const auto& row : *rows) {
            if (std::find(keys.begin(), keys.end(), row.first) == keys.end()) {
                keys.push_back(row.first);
            }
        }
    }
    const auto find = [](const std::vector<std::pair<std::string, std::string>>& rows,
                         const std::string& key, bool known) {
        for (const auto& row : rows) {
            if (row.first == key) {
                return row.second;
            }
        }
        return std::string(known ? "(absent)" : "(a CSV file says nothing)");
    };
    std::fprintf(out, "environment:\n");
    for (const std::string& key : keys) {
        const std::string valueA = find(rowsA, key, a.record);
        const std::string valueB = find(rowsB, key, b.record);
        std::fprintf(out, "%c %-22s A: %s\n  %-22s B: %s\n", valueA == valueB ? ' ' : '*',
                     key.c_str(), valueA.c_str(), "", valueB.c_str());
    }
}

// The machine a record names, else the file's name.
std::string SideName(const std::wstring& path, const ResultsFile& file)
{
    const std::string machine = file.record ? DescribeMachine(file.provenance) : std::string();
    return machine.empty() ? Utf8(path) : machine + " (" + Utf8(path) + ")";
}

nlohmann::json SideJson(const std::wstring& path, const std::vector<Run>& runs)
{
    nlohmann::json side = {{"file", Utf8(path)}, {"runs", runs.size()}};
    std::size_t samples = 0;
    nlohmann::json medians = nlohmann::json::array();
    for (const Run& run : runs) {
        samples += run.samples.size();
        medians.push_back(Median(Durations(run)));
    }
    side["samples"] = samples;
    side["run_medians_ms"] = medians;
    return side;
}

// Writes the comparison to `path`, which must not exist yet, or to standard output for "-".
int WriteComparisonJson(const std::wstring& path, const nlohmann::json& json, std::FILE* out,
                        std::FILE* errors)
{
    const std::string text = json.dump(2) + "\n";
    if (path == L"-") {
        return std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0 ? kExitOk
                                                                           : kExitCannotWrite;
    }
    bool existed = false;
    std::FILE* file = CreateNewFile(path, existed);
    const bool written = file && std::fputs(text.c_str(), file) >= 0;
    if ((file && std::fclose(file) != 0) || !written) {
        std::fprintf(errors, "zolvik-report: %s%s\n", Utf8(path).c_str(),
                     existed ? " exists: zolvik-report never overwrites a file" : ": cannot write");
        return existed ? kExitFileExists : kExitCannotWrite;
    }
    return kExitOk;
}

} // namespace

int CompareFiles(const std::wstring& a, const std::wstring& b, const std::wstring& json,
                 const std::wstring& plot, std::FILE* out, std::FILE* errors)
{
    ResultsFile fileA;
    ResultsFile fileB;
    std::string error;
    if (!ReadResultsFile(a, fileA, error) || !ReadResultsFile(b, fileB, error)) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
        return kExitBadCsv;
    }
    const std::vector<Run>& runsA = fileA.runs;
    const std::vector<Run>& runsB = fileB.runs;
    Comparison c = CompareRuns(runsA, runsB);
    const std::vector<std::string> areaWarnings = AreaWarnings(runsA, runsB);
    c.warnings.insert(c.warnings.end(), areaWarnings.begin(), areaWarnings.end());
    const std::string title =
        "Zolvik line drawing time: A " + SideName(a, fileA) + " against B " + SideName(b, fileB);
    const int plotted =
        plot.empty() ? kExitOk : WriteComparisonPlot(plot, runsA, runsB, c, title, error);
    if (plotted != kExitOk) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
        return plotted;
    }
    if (!json.empty()) {
        nlohmann::json object = {
            {"verdict", c.verdict},
            {"sentence", c.sentence},
            {"ratio", c.ratio},
            {"low", c.low},
            {"high", std::isfinite(c.high) ? nlohmann::json(c.high) : nlohmann::json(nullptr)},
            {"confidence", 0.95},
            {"between_runs", c.betweenRuns},
            {"warnings", c.warnings},
            {"a", SideJson(a, runsA)},
            {"b", SideJson(b, runsB)}};
        const int code = WriteComparisonJson(json, object, out, errors);
        if (code != kExitOk || json == L"-") {
            return code;
        }
    }
    PrintSide(out, "A", a, runsA);
    PrintSide(out, "B", b, runsB);
    if (fileA.record || fileB.record) {
        PrintEnvironments(out, fileA, fileB);
    }
    for (const std::string& warning : c.warnings) {
        std::fprintf(out, "WARNING: %s\n", warning.c_str());
    }
    std::fprintf(out, "ratio of medians B/A: %.4f\n%s\n", c.ratio, c.sentence.c_str());
    return kExitOk;
}
