// Comparisons of results files decided once, before anything is said of them: every side read
// and analysed, each compared with the first, the environments side by side, what the sides
// together warn of, whether they were recorded in turn; and two sweeps contrasted. Decisions
// as enums and numbers; output/ words and draws them.
#pragma once

#include "model/sweep.h"
#include "results/results.h"
#include "stats/control.h"
#include "stats/run_analysis.h"
#include "stats/precision.h"
#include "stats/sweep_fit.h"
#include "stats/verdict.h"

#include <cstddef>
#include <string>
#include <vector>

// "A", "B", ... "Z": the letters that name the sides of a comparison in order.
std::string SideLetter(std::size_t index);

// One side of a comparison: a results file, named by its letter and by the machine its record
// names (else by the file's name), its median, and how it compares with the first side.
struct ComparedSide {
    std::string letter;
    std::wstring path;
    std::string name;
    // What the recorder said the side is (--note): its runs' notes, each once, in order.
    std::string note;
    ResultsFile file;
    std::vector<RunAnalysis> analyses; // a run each, in the file's order
    SideEstimate estimate;
    SideNoise noise;
    Comparison comparison; // with the first side; empty for the first itself
};

// One field of the sides' environments, as each side's record gives it.
struct EnvironmentRow {
    std::string field;
    std::vector<std::string> values; // one a side
    bool differs = false;
};

// What the sides together warn of: work that differs, power that differs, a side without a
// control, a machine whose speed changed.
struct ComparisonWarning {
    enum Kind {
        DifferentAreas, // values: the drawing areas
        AreaChanged,    // side, run: the drawing area changed during that run
        Interrupted,    // side, run, samples: that run stopped before its end
        PowerSources,   // values: "A mains", "B battery", ...
        PowerSchemes,   // values: each side's scheme, as above
        NoControl,      // side: the side without a control (a CSV file)
        MachineChanged, // side, memory: the machine's own speed, that side over the first
    } kind = DifferentAreas;
    std::string side;
    int run = 0;
    std::size_t samples = 0;
    std::vector<std::string> values;
    Interval memory;
};

struct ComparedSides {
    std::vector<ComparedSide> sides;
    std::vector<EnvironmentRow> environment;
    std::vector<ComparisonWarning> warnings;
    // Recorded in turn: by their runs' start times, another side's run started between two
    // runs of some side.
    bool inTurn = false;
};

ComparedSides CompareSides(const std::vector<std::wstring>& paths, std::vector<ResultsFile> files);
// Runs that drew different areas, or whose area changed, measured different work.
std::vector<ComparisonWarning> AreaWarnings(const std::vector<std::vector<Run>>& sides);
std::vector<EnvironmentRow> EnvironmentRows(const std::vector<ComparedSide>& sides);
// Differences between the sides' power sources or schemes, which make laptops draw slower.
std::vector<ComparisonWarning> PowerWarnings(const std::vector<EnvironmentRow>& rows);

// Two sweeps, component by component: B's over A's on screen and in memory, each fitted once.
struct SweepComparison {
    std::string baseName;
    std::string otherName;
    SweepContrast contrast;
};
SweepComparison CompareSweeps(const SweepRecord& base, const std::string& baseName,
                              const SweepRecord& other, const std::string& otherName);
