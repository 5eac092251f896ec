#include "comparing/comparing.h"
#include "results/files.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace
{

ComparisonWarning Warning(ComparisonWarning::Kind kind, const std::string& side = "", int run = 0,
                          std::size_t samples = 0)
{
    ComparisonWarning warning;
    warning.kind = kind;
    warning.side = side;
    warning.run = run;
    warning.samples = samples;
    return warning;
}

// A side recorded in several sittings may carry several notes; each is said once.
std::string NotesOf(const std::vector<Run>& runs)
{
    std::vector<std::string> notes;
    for (const Run& run : runs) {
        if (!run.note.empty() && std::find(notes.begin(), notes.end(), run.note) == notes.end()) {
            notes.push_back(run.note);
        }
    }
    std::string joined;
    for (const std::string& note : notes) {
        joined += (joined.empty() ? "" : "; ") + note;
    }
    return joined;
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
                        std::vector<ComparisonWarning>& warnings)
{
    ComparisonWarning warning = Warning(ComparisonWarning::NoControl, side);
    if (c.machine == Machine::Unknown) {
        warning.side = c.baseControlled ? side : "A";
    } else if (c.machine == Machine::Changed) {
        warning.kind = ComparisonWarning::MachineChanged;
        warning.memory = c.memory;
    } else {
        return;
    }
    // One warning of a kind a side: a base without a control is said once for all.
    for (const ComparisonWarning& w : warnings) {
        if (w.kind == warning.kind && w.side == warning.side) {
            return;
        }
    }
    warnings.push_back(warning);
}

// The sides were recorded in turn where, by their runs' start times, some side's runs do not
// follow one another: another side's run started between two of them.
bool RecordedInTurn(const ComparedSides& compared)
{
    std::vector<std::pair<std::string, std::size_t>> starts; // ISO 8601 sorts as text
    for (std::size_t s = 0; s < compared.sides.size(); ++s) {
        for (const Run& run : compared.sides[s].file.runs) {
            if (run.started.empty()) {
                return false;
            }
            starts.emplace_back(run.started, s);
        }
    }
    std::sort(starts.begin(), starts.end());
    std::vector<bool> done(compared.sides.size(), false);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        if (starts[i].second != starts[i - 1].second) {
            if (done[starts[i].second]) {
                return true;
            }
            done[starts[i - 1].second] = true;
        }
    }
    return false;
}

} // namespace

std::string SideLetter(std::size_t index)
{
    return std::string(1, static_cast<char>('A' + index % 26));
}

std::vector<ComparisonWarning> AreaWarnings(const std::vector<std::vector<Run>>& sides)
{
    std::vector<std::string> areas;
    std::vector<ComparisonWarning> warnings;
    for (std::size_t side = 0; side < sides.size(); ++side) {
        for (const Run& run : sides[side]) {
            const std::string area = AreaText(run);
            if (!area.empty() && std::find(areas.begin(), areas.end(), area) == areas.end()) {
                areas.push_back(area);
            }
            if (run.areaChanged) {
                warnings.push_back(
                    Warning(ComparisonWarning::AreaChanged, SideLetter(side), run.number));
            }
            if (run.interrupted) {
                warnings.push_back(Warning(ComparisonWarning::Interrupted, SideLetter(side),
                                           run.number, run.samples.size()));
            }
        }
    }
    if (areas.size() > 1) {
        ComparisonWarning different = Warning(ComparisonWarning::DifferentAreas);
        different.values = areas;
        warnings.insert(warnings.begin(), different);
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

std::vector<ComparisonWarning> PowerWarnings(const std::vector<EnvironmentRow>& rows)
{
    std::vector<ComparisonWarning> warnings;
    const struct {
        const char* field;
        ComparisonWarning::Kind kind;
    } checks[] = {{"power_source", ComparisonWarning::PowerSources},
                  {"power_scheme", ComparisonWarning::PowerSchemes}};
    for (const auto& check : checks) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const EnvironmentRow& r) {
            return r.field == check.field;
        });
        if (row == rows.end() || !row->differs) {
            continue;
        }
        ComparisonWarning warning = Warning(check.kind);
        for (std::size_t s = 0; s < row->values.size(); ++s) {
            if (Known(row->values[s])) {
                warning.values.push_back(SideLetter(s) + " " + row->values[s]);
            }
        }
        warnings.push_back(warning);
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
        side.note = NotesOf(files[i].runs);
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
    compared.environment = EnvironmentRows(compared.sides);
    const std::vector<ComparisonWarning> power = PowerWarnings(compared.environment);
    compared.warnings.insert(compared.warnings.end(), power.begin(), power.end());
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        AddMachineWarnings(compared.sides[i].comparison, compared.sides[i].letter,
                           compared.warnings);
    }
    compared.inTurn = RecordedInTurn(compared);
    return compared;
}

SweepComparison CompareSweeps(const SweepRecord& base, const std::string& baseName,
                              const SweepRecord& other, const std::string& otherName)
{
    return {baseName, otherName, ContrastSweeps(FitSweep(base.visits), FitSweep(other.visits))};
}
