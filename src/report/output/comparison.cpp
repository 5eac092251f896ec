// Comparisons of results files: every side read once and compared with the first, then shown
// as text and written as JSON, a picture and a Markdown report as asked.
#include "output/output.h"
#include "results/files.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace
{

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
        const auto program = nlohmann::json::parse(file.provenance.program, nullptr, false);
        const auto environment = nlohmann::json::parse(file.provenance.environment, nullptr, false);
        for (const auto& [json, path] :
             {std::make_pair(&program, "program"), std::make_pair(&environment, "")}) {
            if (json->is_object()) {
                Flatten(*json, path, rows);
            }
        }
    }
    return rows;
}

// A value a record gave: not a placeholder for a side that says nothing, nor JSON null.
bool Known(const std::string& value)
{
    return !value.empty() && value.front() != '(' && value != "null";
}

// What the comparison of one side says about the machine, once for all sides.
void AddMachineWarnings(const Comparison& c, const std::string& side,
                        std::vector<std::string>& warnings)
{
    std::string warning;
    if (c.machine == Machine::Unknown) {
        warning = std::string(c.baseControlled ? side : "A") +
                  " has no control measurement (a CSV file keeps none): the machine's speed "
                  "cannot be told from the driver's; record into a record (--json) to tell "
                  "them apart";
    } else if (c.machine == Machine::Changed) {
        const double m = c.memory.value;
        char ratio[80];
        std::snprintf(ratio, sizeof ratio, "%.2fx as %s during ", m > 1 ? m : 1 / m,
                      m > 1 ? "slow" : "fast");
        char value[40];
        std::snprintf(value, sizeof value, "/A %.2f, ", m);
        warning = "the machine itself ran " + std::string(ratio) + side +
                  " as during A (the same grid drawn in memory: " + side + value +
                  IntervalText(c.memory.low, c.memory.high) + "): a change of the machine's " +
                  "speed between the sides, not the driver, moves raw times as much";
    }
    if (!warning.empty() &&
        std::find(warnings.begin(), warnings.end(), warning) == warnings.end()) {
        warnings.push_back(warning);
    }
}

} // namespace

std::string SideLetter(std::size_t index)
{
    return std::string(1, static_cast<char>('A' + index % 26));
}

std::vector<std::string> AreaWarnings(const std::vector<std::vector<Run>>& sides)
{
    std::vector<std::string> areas;
    std::vector<std::string> warnings;
    for (std::size_t side = 0; side < sides.size(); ++side) {
        for (const Run& run : sides[side]) {
            const std::string area = AreaText(run);
            if (!area.empty() && std::find(areas.begin(), areas.end(), area) == areas.end()) {
                areas.push_back(area);
            }
            if (run.areaChanged) {
                warnings.push_back(SideLetter(side) + " run " + std::to_string(run.number) +
                                   ": the drawing area changed during the run");
            }
            if (run.interrupted) {
                warnings.push_back(SideLetter(side) + " run " + std::to_string(run.number) +
                                   ": interrupted before its end; its " +
                                   std::to_string(run.samples.size()) + " samples count as a " +
                                   "shorter run");
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

std::vector<EnvironmentRow> EnvironmentRows(const std::vector<ComparedSide>& sides)
{
    std::vector<std::vector<std::pair<std::string, std::string>>> provenance;
    std::vector<std::string> fields;
    for (const ComparedSide& side : sides) {
        provenance.push_back(ProvenanceRows(side.file));
        for (const auto& row : provenance.back()) {
            if (std::find(fields.begin(), fields.end(), row.first) == fields.end()) {
                fields.push_back(row.first);
            }
        }
    }
    std::vector<EnvironmentRow> rows;
    for (const std::string& field : fields) {
        EnvironmentRow row{field, {}, false};
        for (std::size_t s = 0; s < sides.size(); ++s) {
            const auto& own = provenance[s];
            const auto found = std::find_if(own.begin(), own.end(),
                                            [&](const auto& item) { return item.first == field; });
            row.values.push_back(found != own.end()     ? found->second
                                 : sides[s].file.record ? "(absent)"
                                                        : "(a CSV file says nothing)");
        }
        // Only what the records say counts: a side that does not say is no difference.
        std::vector<std::string> known;
        for (const std::string& value : row.values) {
            if (Known(value) && std::find(known.begin(), known.end(), value) == known.end()) {
                known.push_back(value);
            }
        }
        row.differs = known.size() > 1;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> PowerWarnings(const std::vector<EnvironmentRow>& rows)
{
    std::vector<std::string> warnings;
    const struct {
        const char* field;
        const char* what;
    } checks[] = {{"power_source", "power sources"}, {"power_scheme", "power schemes"}};
    for (const auto& check : checks) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const EnvironmentRow& r) {
            return r.field == check.field;
        });
        if (row == rows.end() || !row->differs) {
            continue;
        }
        std::string list;
        for (std::size_t s = 0; s < row->values.size(); ++s) {
            if (Known(row->values[s])) {
                list += (list.empty() ? "" : ", ") + SideLetter(s) + " " + row->values[s];
            }
        }
        warnings.push_back(std::string("the sides ran on different ") + check.what + " (" + list +
                           "): a laptop on battery or a power-saving scheme draws slower, "
                           "whatever its driver");
    }
    return warnings;
}

ComparedSides CompareSides(const std::vector<std::wstring>& paths, std::vector<ResultsFile> files)
{
    ComparedSides compared;
    std::vector<std::vector<Run>> runs;
    for (std::size_t i = 0; i < files.size(); ++i) {
        ComparedSide side;
        side.letter = SideLetter(i);
        side.path = paths[i];
        side.name = SideName(paths[i], files[i].record ? files[i].provenance : Provenance());
        side.file = std::move(files[i]);
        for (const Run& run : side.file.runs) {
            side.analyses.push_back(AnalyseRun(run));
        }
        side.estimate = EstimateSide(side.file.runs);
        side.noise = MeasureNoise(side.file.runs);
        if (i > 0) {
            side.comparison = CompareRuns(compared.sides.front().file.runs, side.file.runs);
        }
        runs.push_back(side.file.runs);
        compared.sides.push_back(std::move(side));
    }
    compared.warnings = AreaWarnings(runs);
    const std::vector<std::string> power = PowerWarnings(EnvironmentRows(compared.sides));
    compared.warnings.insert(compared.warnings.end(), power.begin(), power.end());
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        AddMachineWarnings(compared.sides[i].comparison, compared.sides[i].letter,
                           compared.warnings);
    }
    return compared;
}
