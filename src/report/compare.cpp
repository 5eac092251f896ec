#include "files.h"
#include "report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace
{

// Within this band around 1 a difference is too small to matter for a driver report.
constexpr double kSameBand = 0.05;

// One side's log median and the variance of that estimate.
struct Side {
    double logMedian = 0;
    double variance = 0;
    double freedom = 0;
    std::size_t runs = 0;
    std::size_t samples = 0;
};

// Runs are the units: each run's log median counts once, and their spread (never less than
// the spread each run shows inside itself) gives the variance. A single run has only its
// blocks, which cannot show how much runs differ from one another.
Side Pool(const std::vector<Run>& runs)
{
    Side side;
    side.runs = runs.size();
    std::vector<double> logs;
    double withinSum = 0;
    std::size_t withinCount = 0;
    for (const Run& run : runs) {
        const MedianEstimate e = EstimateMedian(Durations(run));
        side.samples += run.samples.size();
        logs.push_back(e.logMedian);
        side.logMedian += e.logMedian;
        if (e.freedom > 0) {
            withinSum += e.standardError * e.standardError;
            ++withinCount;
        }
        if (runs.size() == 1) {
            side.variance = e.standardError * e.standardError;
            side.freedom = e.freedom;
        }
    }
    const double r = static_cast<double>(runs.size());
    side.logMedian /= r;
    if (runs.size() > 1) {
        double between = 0;
        for (double l : logs) {
            between += (l - side.logMedian) * (l - side.logMedian);
        }
        between /= r - 1;
        const double within = withinCount ? withinSum / static_cast<double>(withinCount) : 0;
        side.variance = std::max(between, within) / r;
        side.freedom = r - 1;
    }
    return side;
}

std::string Format(const char* format, double a, double b, double c = 0)
{
    char text[300];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void Decide(Comparison& c)
{
    // Rounded outwards, so the interval shown always holds the one computed.
    const std::string interval = Format("95 %% interval %.2f-%.2f", std::floor(c.low * 100) / 100,
                                        std::ceil(c.high * 100) / 100);
    if (!c.betweenRuns) {
        c.verdict = "inconclusive";
        c.sentence = "inconclusive (" + interval +
                     " within single runs): one run a side cannot tell a difference from the "
                     "spread between runs of one build; record three or more runs a side "
                     "(--append)";
    } else if (c.low > 1) {
        c.verdict = "slower";
        c.sentence = Format("B is %.2fx slower than A", c.ratio, 0) + " (" + interval + ")";
    } else if (c.high < 1) {
        c.verdict = "faster";
        c.sentence =
            Format("B is %.2fx faster than A (B/A %.2f, ", 1 / c.ratio, c.ratio) + interval + ")";
    } else if (c.low >= 1 - kSameBand && c.high <= 1 + kSameBand) {
        c.verdict = "same";
        c.sentence =
            Format("no difference beyond +-%.0f %%", kSameBand * 100, 0) + " (" + interval + ")";
    } else {
        c.verdict = "inconclusive";
        const double hidden = std::ceil(100 * std::max(c.high - 1, 1 - c.low));
        c.sentence = "inconclusive (" + interval +
                     Format("): with these runs a difference under "
                            "%.0f %% cannot be told from noise; "
                            "record more or longer runs",
                            hidden, 0);
    }
}

std::string AreaText(const Run& run)
{
    return run.areaWidth > 0 || run.areaHeight > 0
               ? std::to_string(run.areaWidth) + " x " + std::to_string(run.areaHeight)
               : std::string();
}

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

// Runs that drew different areas measured different work: their ratio says nothing of the
// driver.
std::vector<std::string> AreaWarnings(const std::vector<Run>& a, const std::vector<Run>& b)
{
    std::vector<std::string> areas;
    std::vector<std::string> warnings;
    for (const auto* side : {&a, &b}) {
        for (const Run& run : *side) {
            const std::string area = AreaText(run);
            if (!area.empty() && std::find(areas.begin(), areas.end(), area) == areas.end()) {
                areas.push_back(area);
            }
            if (run.areaChanged) {
                warnings.push_back(std::string(side == &a ? "A" : "B") + " run " +
                                   std::to_string(run.number) +
                                   ": the drawing area changed during the run");
            }
        }
    }
    if (areas.size() > 1) {
        std::string list;
        for (const std::string& area : areas) {
            list += (list.empty() ? "" : ", ") + area;
        }
        warnings.insert(warnings.begin(), "the runs drew different drawing areas (" + list +
                                              "): their ratio compares different work, not "
                                              "drivers");
    }
    return warnings;
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

Comparison CompareRuns(const std::vector<Run>& a, const std::vector<Run>& b)
{
    const Side sideA = Pool(a);
    const Side sideB = Pool(b);
    Comparison c;
    const double difference = sideB.logMedian - sideA.logMedian;
    c.ratio = std::exp(difference);
    const double variance = sideA.variance + sideB.variance;
    c.betweenRuns = sideA.runs > 1 && sideB.runs > 1;
    // A median of 0 ms (a file may say so) has no logarithm to compare.
    if (!std::isfinite(difference) || !std::isfinite(variance)) {
        c.verdict = "inconclusive";
        c.sentence = "inconclusive: a side has a median of 0 ms, which cannot be compared";
        c.ratio = std::isfinite(difference) ? c.ratio : 0;
        c.high = INFINITY;
        return c;
    }
    if (sideA.freedom == 0 || sideB.freedom == 0 || variance <= 0) {
        c.verdict = "inconclusive";
        c.sentence = "inconclusive: too few samples for an interval; record more or longer runs";
        c.low = 0;
        c.high = INFINITY;
        return c;
    }
    // Welch-Satterthwaite: the degrees of freedom of a sum of two estimated variances.
    c.freedom = variance * variance /
                (sideA.variance * sideA.variance / sideA.freedom +
                 sideB.variance * sideB.variance / sideB.freedom);
    const double half = TQuantile95(c.freedom) * std::sqrt(variance);
    c.low = std::exp(difference - half);
    c.high = std::exp(difference + half);
    Decide(c);
    return c;
}

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
