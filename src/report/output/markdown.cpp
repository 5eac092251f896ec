// A comparison as a Markdown report to paste into a bug tracker: what was measured, the
// verdicts, the environments side by side, the warnings and how to reproduce it.
#include "output/text.h"
#include "output/markdown.h"
#include "output/words.h"
#include "model/grid.h"
#include "results/files.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace
{

// "1,125": a count with its thousands set apart, as the program's own description has it.
std::string Thousands(double count)
{
    std::string digits = std::to_string(static_cast<long long>(count));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

// Text that stays text in a table cell: no column breaks, markup or raw HTML.
std::string Cell(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            out += ' ';
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (std::string("\\`*_[]|#").find(c) != std::string::npos) {
            out += std::string("\\") + c;
        } else {
            out += c;
        }
    }
    return out;
}

// The distinct values among `values`, in order.
std::vector<std::string> Distinct(const std::vector<std::string>& values)
{
    std::vector<std::string> out;
    for (const std::string& value : values) {
        if (!value.empty() && std::find(out.begin(), out.end(), value) == out.end()) {
            out.push_back(value);
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& values)
{
    std::string out;
    for (const std::string& value : values) {
        out += (out.empty() ? "" : ", ") + value;
    }
    return out;
}

std::string WhatWasMeasured(const ComparedSides& compared)
{
    std::vector<std::string> versions;
    std::vector<std::string> areas;
    std::vector<std::string> lines; // line calls a pass, at each drawing area
    for (const ComparedSide& side : compared.sides) {
        const auto program = nlohmann::json::parse(side.file.provenance.program, nullptr, false);
        if (side.file.record && program.is_object() && program.contains("version") &&
            program["version"].is_string()) {
            versions.push_back(program["version"].get<std::string>());
        }
        for (const Run& run : side.file.runs) {
            areas.push_back(AreaText(run));
            if (run.areaWidth > 0 && run.areaHeight > 0) {
                const GridWork work = WorkOf(ClientOfArea({run.areaWidth, run.areaHeight}));
                lines.push_back(Thousands(work.horizontalLines + work.verticalLines));
            }
        }
    }
    versions = Distinct(versions);
    areas = Distinct(areas);
    lines = Distinct(lines);
    const std::string program = versions.size() == 1 ? "Zolvik " + versions.front()
                                : versions.empty()   ? std::string("Zolvik")
                                                     : "Zolvik (versions " + Joined(versions) + ")";
    const std::string area =
        areas.empty()       ? "a drawing area the files do not record"
        : areas.size() == 1 ? "a drawing area of " + areas.front() + " pixels"
                            : "drawing areas of " + Joined(areas) + " pixels (see the warnings)";
    return "What was measured: the time " + program + " takes to draw one pass of its grid of " +
           (lines.size() == 1 ? lines.front() + " " : std::string()) +
           "one-pixel lines through GDI, on " + area +
           ", read pass by pass from its window by zolvik-report. Medians are of single passes "
           "in milliseconds; intervals are 95 %.";
}

// What each side is, where its recorder said so with --note.
void SideNotes(std::ostringstream& md, const ComparedSides& compared)
{
    std::string list;
    for (const ComparedSide& side : compared.sides) {
        if (!side.note.empty()) {
            list += "- " + side.letter + ": " + Cell(side.note) + "\n";
        }
    }
    if (!list.empty()) {
        md << "The sides, as their records say:\n\n" << list << "\n";
    }
}

void VerdictTable(std::ostringstream& md, const ComparedSides& compared)
{
    SideNotes(md, compared);
    const std::string base = compared.sides.front().letter;
    md << "| Side | Name | Runs | Samples | Median ms (95 % interval) | Ratio to " << base
       << " (95 % interval) | In memory ms | On screen / in memory, to " << base << " | Verdict |\n"
       << "| --- | --- | ---: | ---: | --- | --- | --- | --- | --- |\n";
    for (std::size_t i = 0; i < compared.sides.size(); ++i) {
        const ComparedSide& side = compared.sides[i];
        md << "| " << side.letter << " | " << Cell(side.name) << " | " << side.estimate.runs
           << " | " << side.estimate.samples << " | " << MedianCell(side.estimate) << " | "
           << (i == 0 ? "base" : RatioCell(side.comparison)) << " | " << MemoryCell(side.estimate)
           << " | " << (i == 0 ? "base" : RelativeCell(side.comparison)) << " | "
           << (i == 0 ? "" : "**" + std::string(VerdictWord(side.comparison.verdict)) + "**")
           << " |\n";
    }
    md << "\n";
    // Each verdict in the shape the text gives it: the headline, a figure a line, what next.
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        const ComparedSide& side = compared.sides[i];
        const VerdictText text = SayVerdict(side.comparison, "A", side.letter);
        md << "- **" << Cell(text.headline) << "**\n";
        for (const VerdictFigure& f : text.figures) {
            md << "  - " << Cell(f.label) << ": " << Cell(f.ratio)
               << (f.interval.empty() ? "" : " (" + Cell(f.interval) + ")")
               << (f.word.empty() ? "" : ", " + Cell(f.word)) << "\n";
        }
        md << "  - next: " << Cell(text.next) << "\n";
    }
    md << "\n";
}

void EnvironmentTable(std::ostringstream& md, const ComparedSides& compared)
{
    md << "## Environments\n\n";
    const std::vector<EnvironmentRow>& rows = compared.environment;
    if (rows.empty()) {
        md << "The results files are CSV files, which record no environment.\n\n";
        return;
    }
    md << "Fields that differ between the sides are in bold and marked \"(differs)\".\n\n| Field |";
    for (const ComparedSide& side : compared.sides) {
        md << " " << side.letter << " |";
    }
    md << "\n| --- |";
    for (std::size_t s = 0; s < compared.sides.size(); ++s) {
        md << " --- |";
    }
    md << "\n";
    for (const EnvironmentRow& row : rows) {
        const std::string mark = row.differs ? "**" : "";
        md << "| " << mark << Cell(row.field) << mark << (row.differs ? " (differs)" : "") << " |";
        for (const std::string& value : row.values) {
            md << " " << mark << Cell(value) << mark << " |";
        }
        md << "\n";
    }
    md << "\n";
}

// The picture's address as seen from the report: beside it, by its name alone.
std::string Link(const std::wstring& plot, const std::wstring& markdown)
{
    std::string from = Utf8(plot);
    std::string folder = Utf8(markdown);
    folder = folder.substr(0, folder.find_last_of("/\\") + 1);
    if (!folder.empty() && from.compare(0, folder.size(), folder) == 0) {
        from = from.substr(folder.size());
    }
    std::string link;
    for (char c : from) {
        link += c == '\\' ? std::string("/") : c == ' ' ? std::string("%20") : std::string(1, c);
    }
    return link;
}

// The recording commands as the records were made: the sides in turn, a run at a time, where
// they were; else each side's runs together, spaced by a pause.
// ` --note "..."` as a command prompt takes it, the note's own quotes escaped; nothing for
// none.
std::string NoteArgument(const std::string& note)
{
    if (note.empty()) {
        return "";
    }
    std::string quoted = " --note \"";
    for (char c : note) {
        quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    }
    return quoted + "\"";
}

void Reproduce(std::ostringstream& md, const ComparedSides& compared, const std::string& command)
{
    const bool inTurn = compared.inTurn;
    std::string turns;
    for (int round = 0; round < 2; ++round) {
        for (const ComparedSide& side : compared.sides) {
            turns += side.letter + ", ";
        }
    }
    std::size_t most = 0;
    for (const ComparedSide& side : compared.sides) {
        most = std::max(most, side.file.runs.size());
    }
    md << "## How to reproduce\n\n"
       << "With Zolvik running and nothing else busy, "
       << (inTurn ? "one run at a time into each side's file, the sides in turn (" + turns +
                        "...: switch the driver between them), until each side has " +
                        std::to_string(std::max<std::size_t>(most, 3)) + " runs:"
                  : std::string("on each side's machine and driver:"))
       << "\n\n```\n";
    for (const ComparedSide& side : compared.sides) {
        const std::vector<Run>& runs = side.file.runs;
        const std::size_t samples = runs.empty() ? 24 : runs.front().samples.size();
        md << "zolvik-report --samples " << std::max<std::size_t>(samples, 1);
        const double precision = runs.empty() ? 0 : runs.front().precision;
        if (precision > 0) {
            // Recorded to a precision: the same target decides the runs again.
            char target[32];
            std::snprintf(target, sizeof target, "%g", precision);
            md << " --precision " << target << " --json " << Utf8(side.path);
        } else if (inTurn) {
            md << (side.file.record ? " --json " : " --csv ") << Utf8(side.path) << " --append";
        } else {
            md << " --runs " << std::max<std::size_t>(runs.size(), 3) << " --pause 60 "
               << (side.file.record ? "--json " : "--csv ") << Utf8(side.path);
        }
        md << NoteArgument(runs.empty() ? std::string() : runs.front().note) << "\n";
    }
    md << "```\n\nThen, with the files together:\n\n```\n" << command << "\n```\n";
}

} // namespace

std::string ComparisonMarkdown(const ComparedSides& compared, const std::wstring& plot,
                               const std::wstring& markdown, const std::string& command)
{
    std::ostringstream md;
    std::string others;
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        others += (i > 1 ? ", " : "") + compared.sides[i].letter;
    }
    md << "# Zolvik line drawing time: " << others << " against A\n\n"
       << Cell(WhatWasMeasured(compared)) << "\n\n";
    VerdictTable(md, compared);
    if (!plot.empty()) {
        md << "![Each side's passes run by run, and each side's ratio to A with its interval]("
           << Link(plot, markdown) << ")\n\n";
    }
    EnvironmentTable(md, compared);
    md << "## Warnings\n\n";
    std::vector<std::string> warnings = ComparisonWarningsWords(compared);
    for (const ComparedSide& side : compared.sides) {
        for (std::size_t i = 0; i < side.file.runs.size(); ++i) {
            for (const RunWarning& warning : side.analyses[i].report.warnings) {
                warnings.push_back(side.letter + " run " +
                                   std::to_string(side.file.runs[i].number) + ": " +
                                   RunWarningWords(warning));
            }
        }
    }
    for (const std::string& warning : warnings) {
        md << "- " << Cell(warning) << "\n";
    }
    md << (warnings.empty() ? "None.\n" : "") << "\n";
    Reproduce(md, compared, command);
    return md.str();
}

std::string SweepComparisonMarkdown(const SweepComparison& c, const std::string& command)
{
    std::ostringstream md;
    md << "# Where the line drawing time goes: B against A\n\n"
       << "- A: " << c.baseName << "\n- B: " << c.otherName << "\n\n"
       << "Each sweep timed Zolvik's grid at drawing areas of several sizes and shapes and "
          "fitted pass time = fixed + per line call x lines + per pixel x pixels; the same "
          "grid drawn in memory by zolvik-report (the control) shows the machine's own "
          "costs. Intervals are 95 %.\n\n"
       << "| cost | A | B | B / A | on screen | in memory, B / A |\n"
       << "|---|---|---|---|---|---|\n";
    for (const ComponentRatio& r : c.contrast.screen) {
        std::string memory = "-";
        for (const ComponentRatio& m : c.contrast.memory) {
            memory = m.cost == r.cost ? RatioCell(m) : memory;
        }
        const std::string unit = CostUnit(r.cost);
        md << "| " << CostName(r.cost) << " | " << Significant(r.base) << " " << unit << " | "
           << Significant(r.other) << " " << unit << " | " << RatioCell(r) << " | "
           << (r.direction == Direction::CannotTell ? "cannot tell"
                                                    : DirectionWord(r.direction) + " in B")
           << " | " << memory << " |\n";
    }
    if (c.contrast.screen.empty()) {
        md << "| (none) | | | | cannot compare: the model does not stand on both sides | |\n";
    }
    if (!SweepComparisonWarnings(c).empty()) {
        md << "\n";
        for (const std::string& warning : SweepComparisonWarnings(c)) {
            md << "- **Warning:** " << warning << "\n";
        }
    }
    md << "\nThe grid draws as many horizontal pixels as vertical ones, so a cost per pixel "
          "that differs by direction cannot be told apart.\n\n"
       << "Made by `" << command << "`.\n";
    return md.str();
}
