// A sweep's costs and the comparison of two sweeps, as text and as Markdown.
#include "output/sweep_output.h"

#include "exit_codes.h"
#include "results/files.h"

#include <cmath>
#include <sstream>

namespace
{

std::string Significant(double value)
{
    char text[64];
    const double magnitude = std::fabs(value);
    const int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 1 ? 2 : 3;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string RatioText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, value >= 10 ? "%.1fx" : "%.2fx", value);
    return text;
}

const Component* Find(const ModelFit& fit, const std::string& name)
{
    for (const Component& c : fit.components) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

// A component of the screen's fit over the same of the memory's.
std::string OverMemory(const Component& screen, double screenFreedom, const Component& memory,
                       double memoryFreedom)
{
    const ComponentRatio r = CompareComponent(memory, memoryFreedom, screen, screenFreedom);
    if (!r.bounded) {
        return "cannot tell";
    }
    return RatioText(r.ratio) + " (" + Significant(r.low) + "-" + Significant(r.high) + ")";
}

void PrintModel(std::FILE* out, const char* title, const ModelFit& screen, const ModelFit& memory)
{
    std::fprintf(out, "%s\n", title);
    if (!screen.stands) {
        std::fprintf(out, "  on screen: %s\n", screen.says.c_str());
    }
    if (!memory.stands) {
        std::fprintf(out, "  in memory: %s\n", memory.says.c_str());
    }
    if (!screen.stands && !memory.stands) {
        return;
    }
    std::fprintf(out, "  %-31s %-28s %-28s %s\n", "", "on screen", "in memory",
                 "on screen / in memory");
    for (const Component& c : screen.stands ? screen.components : memory.components) {
        const Component* s = screen.stands ? Find(screen, c.name) : nullptr;
        const Component* m = memory.stands ? Find(memory, c.name) : nullptr;
        const std::string both =
            s && m && c.name != "fixed" ? OverMemory(*s, screen.freedom, *m, memory.freedom) : "";
        std::fprintf(out, "  %-31s %-28s %-28s %s\n", (c.name + " (" + c.unit + ")").c_str(),
                     s ? ComponentCell(*s).c_str() : "-", m ? ComponentCell(*m).c_str() : "-",
                     both.c_str());
    }
    if (screen.stands) {
        std::fprintf(out, "  fit on screen: %s\n", screen.says.c_str());
    }
    if (memory.stands) {
        std::fprintf(out, "  fit in memory: %s\n", memory.says.c_str());
    }
}

void AddComparisons(const ModelFit& base, const ModelFit& other,
                    std::vector<ComponentRatio>& ratios)
{
    for (const Component& c : base.components) {
        const Component* o = Find(other, c.name);
        if (o) {
            ratios.push_back(CompareComponent(c, base.freedom, *o, other.freedom));
        }
    }
}

std::string RatioCell(const ComponentRatio& r)
{
    return r.bounded
               ? RatioText(r.ratio) + " (" + Significant(r.low) + "-" + Significant(r.high) + ")"
               : "no ratio: A's figure is not clearly away from zero";
}

} // namespace

std::string ComponentCell(const Component& c)
{
    return Significant(c.value) + " " + c.unit + " (" + Significant(c.low) +
           (c.low < 0 ? " to " : "-") + Significant(c.high) + ")";
}

void PrintSweep(std::FILE* out, const SweepRecord& record)
{
    std::size_t passes = 0;
    std::size_t dropped = 0;
    for (const SweepVisit& v : record.visits) {
        passes += v.passes.size();
        dropped += v.dropped;
    }
    const SweepFit fit = FitSweep(record.visits);
    std::fprintf(out, "sweep: %zu visits to %zu drawing areas, %zu passes (%zu dropped)\n",
                 record.visits.size(), fit.screen.areas, passes, dropped);
    PrintModel(out, "pass time = fixed + per line call x lines + per pixel x pixels", fit.screen,
               fit.memory);
    if (fit.apart) {
        PrintModel(out, "with horizontal and vertical line calls apart", fit.screenApart,
                   fit.memoryApart);
    }
    for (const std::string& warning : record.warnings) {
        std::fprintf(out, "warning: %s\n", warning.c_str());
    }
}

SweepComparison CompareSweeps(const SweepRecord& base, const std::string& baseName,
                              const SweepRecord& other, const std::string& otherName)
{
    SweepComparison c;
    c.baseName = baseName;
    c.otherName = otherName;
    const SweepFit a = FitSweep(base.visits);
    const SweepFit b = FitSweep(other.visits);
    const bool apart = a.apart && b.apart && a.screenApart.stands && b.screenApart.stands &&
                       (!a.screen.stands || !b.screen.stands);
    const ModelFit& aScreen = apart ? a.screenApart : a.screen;
    const ModelFit& bScreen = apart ? b.screenApart : b.screen;
    const ModelFit& aMemory = apart ? a.memoryApart : a.memory;
    const ModelFit& bMemory = apart ? b.memoryApart : b.memory;
    for (const auto& [fit, name] :
         {std::make_pair(&aScreen, "A on screen"), std::make_pair(&bScreen, "B on screen"),
          std::make_pair(&aMemory, "A in memory"), std::make_pair(&bMemory, "B in memory")}) {
        if (!fit->stands) {
            c.warnings.push_back(std::string(name) + ": " + fit->says);
        }
    }
    if (aScreen.stands && bScreen.stands) {
        AddComparisons(aScreen, bScreen, c.screen);
    }
    if (aMemory.stands && bMemory.stands) {
        AddComparisons(aMemory, bMemory, c.memory);
    }
    // Where the machine's own cost of a component moved beyond what runs of one machine do,
    // the figure on screen says something of the driver only beyond that move.
    for (const ComponentRatio& m : c.memory) {
        // The machine's own cost moved: beyond what runs of one machine differ by.
        const bool moved =
            m.bounded && (m.low > 1 + kMachineBand || m.high < 1 / (1 + kMachineBand));
        if (!moved) {
            continue;
        }
        c.warnings.push_back("in memory, " + m.name + " is " + RatioText(m.ratio) +
                             " as much in B: the machine itself changed");
        for (ComponentRatio& r : c.screen) {
            const bool beyond = r.bounded && (r.low > m.high || r.high < m.low);
            if (r.name == m.name && r.verdict != "cannot tell" && !beyond) {
                r.verdict = "cannot tell";
                r.why = "the machine's own change explains it";
            }
        }
    }
    return c;
}

std::string RatioSentence(const ComponentRatio& r)
{
    return r.name + ": B " + Significant(r.other) + " " + r.unit + " against A " +
           Significant(r.base) + " " + r.unit + ", " + RatioCell(r) + ", " +
           (r.verdict != "cannot tell" ? r.verdict + " in B"
            : r.why.empty()            ? std::string("cannot tell apart")
                                       : "cannot tell apart: " + r.why);
}

void PrintSweepComparison(std::FILE* out, const SweepComparison& c)
{
    std::fprintf(out, "A: %s\nB: %s\n", c.baseName.c_str(), c.otherName.c_str());
    std::fprintf(out, "on screen:\n");
    if (c.screen.empty()) {
        std::fprintf(out, "  cannot compare: the model does not stand on both sides\n");
    }
    for (const ComponentRatio& r : c.screen) {
        std::fprintf(out, "  %s\n", RatioSentence(r).c_str());
    }
    std::fprintf(out, "in memory (the machine):\n");
    for (const ComponentRatio& r : c.memory) {
        std::fprintf(out, "  %s\n", RatioSentence(r).c_str());
    }
    for (const std::string& warning : c.warnings) {
        std::fprintf(out, "warning: %s\n", warning.c_str());
    }
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
    for (const ComponentRatio& r : c.screen) {
        std::string memory = "-";
        for (const ComponentRatio& m : c.memory) {
            memory = m.name == r.name ? RatioCell(m) : memory;
        }
        md << "| " << r.name << " | " << Significant(r.base) << " " << r.unit << " | "
           << Significant(r.other) << " " << r.unit << " | " << RatioCell(r) << " | "
           << (r.verdict == "cannot tell" ? "cannot tell" : r.verdict + " in B") << " | " << memory
           << " |\n";
    }
    if (c.screen.empty()) {
        md << "| (none) | | | | cannot compare: the model does not stand on both sides | |\n";
    }
    if (!c.warnings.empty()) {
        md << "\n";
        for (const std::string& warning : c.warnings) {
            md << "- **Warning:** " << warning << "\n";
        }
    }
    md << "\nThe grid draws as many horizontal pixels as vertical ones, so a cost per pixel "
          "that differs by direction cannot be told apart.\n\n"
       << "Made by `" << command << "`.\n";
    return md.str();
}

int CompareSweepFiles(const std::vector<std::wstring>& paths, const CompareOutputs& outputs,
                      std::FILE* out, std::FILE* errors)
{
    if (paths.size() != 2 || !outputs.plot.empty() || !outputs.json.empty()) {
        std::fprintf(errors, "zolvik-report: sweeps compare two at a time, as text or with "
                             "--markdown\n");
        return kExitUsage;
    }
    SweepRecord records[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        if (!ReadSweepRecord(paths[static_cast<std::size_t>(i)], records[i], error)) {
            std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
            return kExitBadCsv;
        }
    }
    const SweepComparison comparison =
        CompareSweeps(records[0], SideName(paths[0], records[0].provenance), records[1],
                      SideName(paths[1], records[1].provenance));
    PrintSweepComparison(out, comparison);
    if (outputs.markdown.empty()) {
        return kExitOk;
    }
    const std::string text = SweepComparisonMarkdown(comparison, outputs.command);
    if (outputs.markdown == L"-") {
        return std::fputs(text.c_str(), out) >= 0 ? kExitOk : kExitCannotWrite;
    }
    std::string error;
    const int code = WriteNewFile(outputs.markdown, text, error);
    if (code != kExitOk) {
        std::fprintf(errors, "zolvik-report: %s\n", error.c_str());
    }
    return code;
}
