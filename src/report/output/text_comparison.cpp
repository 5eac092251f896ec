// A comparison as text on the console and as one JSON object.
#include "output/text.h"
#include "output/words.h"
#include "results/files.h"
#include "stats/control.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace
{

void PrintSide(std::FILE* out, const ComparedSide& side)
{
    const std::vector<Run>& runs = side.file.runs;
    std::fprintf(out, "%s: %s, %zu run%s%s%s\n", side.letter.c_str(), Utf8(side.path).c_str(),
                 runs.size(), runs.size() == 1 ? "" : "s", side.note.empty() ? "" : ": ",
                 side.note.c_str());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        const RunReport& r = side.analyses[i].report;
        std::fprintf(out, "  run %d: %zu samples, median %.6f ms", run.number, r.summary.count,
                     r.estimate.median);
        if (!AreaText(run).empty()) {
            std::fprintf(out, ", drawing area %s", AreaText(run).c_str());
        }
        if (run.interrupted) {
            std::fprintf(out, ", interrupted");
        }
        if (r.estimate.freedom > 0) {
            std::fprintf(out, " (95 %% interval %.6f-%.6f)", r.estimate.low, r.estimate.high);
        }
        const ControlEstimate& control = side.analyses[i].control;
        if (control.count > 0) {
            std::fprintf(out, ", in memory %.6f ms (on screen %.2fx)", control.median,
                         control.ratio);
        }
        std::fprintf(out, "\n");
        for (const RunWarning& warning : r.warnings) {
            std::fprintf(out, "    warning: %s\n", RunWarningWords(warning).c_str());
        }
    }
    for (const std::string& line : NoiseLines(side.noise, "  ")) {
        std::fprintf(out, "%s\n", line.c_str());
    }
}

// The environments side by side; a star marks what differs. Beyond two sides a field that
// is the same everywhere takes one line.
void PrintEnvironments(std::FILE* out, const ComparedSides& compared)
{
    const std::vector<ComparedSide>& sides = compared.sides;
    std::fprintf(out, "environment:\n");
    for (const EnvironmentRow& row : compared.environment) {
        const bool same = std::all_of(row.values.begin(), row.values.end(),
                                      [&](const std::string& v) { return v == row.values[0]; });
        if (sides.size() > 2 && same) {
            std::fprintf(out, "  %-22s all: %s\n", row.field.c_str(), row.values[0].c_str());
            continue;
        }
        for (std::size_t s = 0; s < sides.size(); ++s) {
            std::fprintf(out, "%c %-22s %s: %s\n", s == 0 && row.differs ? '*' : ' ',
                         s == 0 ? row.field.c_str() : "", sides[s].letter.c_str(),
                         row.values[s].c_str());
        }
    }
}

void PrintTable(std::FILE* out, const ComparedSides& compared)
{
    const std::string base = compared.sides.front().letter;
    std::fprintf(out, "%-4s %5s %8s  %-30s %-28s %-24s %-28s %s\n", "side", "runs", "samples",
                 "median ms (95 % interval)", ("ratio to " + base + " (95 % interval)").c_str(),
                 "in memory ms", ("screen/memory to " + base).c_str(), "verdict");
    for (std::size_t i = 0; i < compared.sides.size(); ++i) {
        const ComparedSide& side = compared.sides[i];
        const bool isBase = i == 0;
        std::fprintf(out, "%-4s %5zu %8zu  %-30s %-28s %-24s %-28s %s\n", side.letter.c_str(),
                     side.estimate.runs, side.estimate.samples, MedianCell(side.estimate).c_str(),
                     isBase ? "base" : RatioCell(side.comparison).c_str(),
                     MemoryCell(side.estimate).c_str(),
                     isBase ? "base" : RelativeCell(side.comparison).c_str(),
                     isBase ? "" : VerdictWord(side.comparison.verdict));
    }
}

} // namespace

std::string ComparisonWarningWords(const ComparisonWarning& w)
{
    std::string list;
    for (const std::string& value : w.values) {
        list += (list.empty() ? "" : ", ") + value;
    }
    const std::string power =
        "): a laptop on battery or a power-saving scheme draws slower, whatever its driver";
    switch (w.kind) {
    case ComparisonWarning::DifferentAreas:
        return "the runs drew different drawing areas (" + list +
               "): their ratio compares different work, not drivers";
    case ComparisonWarning::AreaChanged:
        return w.side + " run " + std::to_string(w.run) +
               ": the drawing area changed during the run";
    case ComparisonWarning::Interrupted:
        return w.side + " run " + std::to_string(w.run) + ": interrupted before its end; its " +
               std::to_string(w.samples) + " samples count as a shorter run";
    case ComparisonWarning::PowerSources:
        return "the sides ran on different power sources (" + list + power;
    case ComparisonWarning::PowerSchemes:
        return "the sides ran on different power schemes (" + list + power;
    case ComparisonWarning::NoControl:
        return w.side + " has no control measurement (a CSV file keeps none): the machine's "
                        "speed cannot be told from the driver's; record into a record (--json) "
                        "to tell them apart";
    case ComparisonWarning::MachineChanged: {
        const double m = w.memory.value;
        char figures[160];
        std::snprintf(figures, sizeof figures, "%.2fx as %s during ", m > 1 ? m : 1 / m,
                      m > 1 ? "slow" : "fast");
        char value[40];
        std::snprintf(value, sizeof value, "/A %.2f, ", m);
        return "the machine itself ran " + std::string(figures) + w.side +
               " as during A (the same grid drawn in memory: " + w.side + value +
               IntervalText(w.memory.low, w.memory.high) + "): a change of the machine's " +
               "speed between the sides, not the driver, moves raw times as much";
    }
    }
    return "";
}

std::vector<std::string> ComparisonWarningsWords(const ComparedSides& compared)
{
    std::vector<std::string> words;
    for (const ComparisonWarning& warning : compared.warnings) {
        words.push_back(ComparisonWarningWords(warning));
    }
    return words;
}

std::string MedianCell(const SideEstimate& e)
{
    char text[120];
    if (e.high > 0) {
        std::snprintf(text, sizeof text, "%.3f (%.3f-%.3f)", e.median, e.low, e.high);
    } else {
        std::snprintf(text, sizeof text, "%.3f (no interval)", e.median);
    }
    return text;
}

std::string RatioCell(const Interval& ratio)
{
    char text[120];
    if (std::isfinite(ratio.high) && ratio.high > 0) {
        // Rounded outwards, as in the sentence.
        std::snprintf(text, sizeof text, "%.3f (%.2f-%.2f)", ratio.value,
                      std::floor(ratio.low * 100) / 100, std::ceil(ratio.high * 100) / 100);
    } else {
        std::snprintf(text, sizeof text, "%.3f (no interval)", ratio.value);
    }
    return text;
}

std::string RatioCell(const Comparison& c)
{
    return RatioCell(Interval{c.ratio, c.low, c.high, c.rawVerdict});
}

std::string MemoryCell(const SideEstimate& e)
{
    if (!(e.memory.value > 0)) {
        return "no control";
    }
    SideEstimate memory;
    memory.median = e.memory.value;
    memory.low = e.memory.low;
    memory.high = e.memory.high;
    return MedianCell(memory);
}

std::string RelativeCell(const Comparison& c)
{
    return c.machine != Machine::Unknown ? RatioCell(c.relative) : "no control";
}

void PrintComparison(std::FILE* out, const ComparedSides& compared)
{
    const std::vector<ComparedSide>& sides = compared.sides;
    for (const ComparedSide& side : sides) {
        PrintSide(out, side);
    }
    if (std::any_of(sides.begin(), sides.end(),
                    [](const ComparedSide& side) { return side.file.record; })) {
        PrintEnvironments(out, compared);
    }
    for (const std::string& warning : ComparisonWarningsWords(compared)) {
        std::fprintf(out, "WARNING: %s\n", warning.c_str());
    }
    if (sides.size() > 2) {
        PrintTable(out, compared);
    }
    for (std::size_t i = 1; i < sides.size(); ++i) {
        const VerdictText text = SayVerdict(sides[i].comparison, "A", sides[i].letter);
        for (const std::string& line : VerdictLines(text, "  ")) {
            std::fprintf(out, "%s\n", line.c_str());
        }
    }
}
