// A sweep's costs and the comparison of two sweeps, as text.
#include "output/text.h"
#include "output/words.h"

#include "model/grid.h"
#include "results/files.h"

#include <cmath>
const char* CostName(Cost cost)
{
    switch (cost) {
    case Cost::Fixed:
        return "fixed";
    case Cost::PerLineCall:
        return "per line call";
    case Cost::PerHorizontalLineCall:
        return "per horizontal line call";
    case Cost::PerVerticalLineCall:
        return "per vertical line call";
    case Cost::PerMillionPixels:
        return "per million pixels";
    }
    return "";
}

std::string SweepWarningWords(const SweepWarning& w)
{
    switch (w.kind) {
    case SweepWarning::AreaNotAsAsked:
        return "asked for a client area of " + std::to_string(w.askedWidth) + " x " +
               std::to_string(w.askedHeight) + ", got " + std::to_string(w.gotWidth) + " x " +
               std::to_string(w.gotHeight);
    case SweepWarning::VisitLeftOut:
        return "visit " + std::to_string(w.visit) + " left out: the window changed size during it";
    case SweepWarning::Text:
        return w.text;
    }
    return w.text;
}

namespace
{

std::string RatioText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, value >= 10 ? "%.1fx" : "%.2fx", value);
    return text;
}

std::string Percent(const char* format, double share)
{
    char text[64];
    std::snprintf(text, sizeof text, format, 100 * share);
    return text;
}

const Component* Find(const ModelFit& fit, Cost cost)
{
    for (const Component& c : fit.components) {
        if (c.cost == cost) {
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
        std::fprintf(out, "  on screen: %s\n", FitText(screen).c_str());
    }
    if (!memory.stands) {
        std::fprintf(out, "  in memory: %s\n", FitText(memory).c_str());
    }
    if (!screen.stands && !memory.stands) {
        return;
    }
    std::fprintf(out, "  %-31s %-28s %-28s %s\n", "", "on screen", "in memory",
                 "on screen / in memory");
    for (const Component& c : screen.stands ? screen.components : memory.components) {
        const Component* s = screen.stands ? Find(screen, c.cost) : nullptr;
        const Component* m = memory.stands ? Find(memory, c.cost) : nullptr;
        const std::string both = s && m && c.cost != Cost::Fixed
                                     ? OverMemory(*s, screen.freedom, *m, memory.freedom)
                                     : "";
        const std::string name = std::string(CostName(c.cost)) + " (" + CostUnit(c.cost) + ")";
        std::fprintf(out, "  %-31s %-28s %-28s %s\n", name.c_str(),
                     s ? ComponentCell(*s).c_str() : "-", m ? ComponentCell(*m).c_str() : "-",
                     both.c_str());
    }
    if (screen.stands) {
        std::fprintf(out, "  fit on screen: %s\n", FitText(screen).c_str());
    }
    if (memory.stands) {
        std::fprintf(out, "  fit in memory: %s\n", FitText(memory).c_str());
    }
}

} // namespace

std::string Significant(double value)
{
    char text[64];
    const double magnitude = std::fabs(value);
    const int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 1 ? 2 : 3;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string DirectionWord(Direction direction)
{
    return direction == Direction::Higher  ? "higher"
           : direction == Direction::Lower ? "lower"
                                           : "cannot tell";
}

std::string RatioCell(const ComponentRatio& r)
{
    return r.bounded
               ? RatioText(r.ratio) + " (" + Significant(r.low) + "-" + Significant(r.high) + ")"
               : "no ratio: A's figure is not clearly away from zero";
}

std::string FitText(const ModelFit& fit)
{
    const std::string where = AreaName(AreaOfClient({fit.residualWidth, fit.residualHeight}));
    switch (fit.state) {
    case FitState::TooFewVisits:
        return "too few visits to fit the model";
    case FitState::NotToldApart:
        return "the areas do not tell these costs apart";
    case FitState::TooFewAreas:
        return "too few areas to test the model";
    case FitState::MissesAnArea:
        return "the model does not fit: at the drawing area " + where + " it misses by " +
               Percent("%.0f %%", fit.largestResidual) + ", against visits " +
               Percent("%.1f %%", fit.spread) +
               " apart; this cost does not grow as lines and pixels, so no split is given";
    case FitState::BelowZero:
        return std::string("the model does not fit: ") + CostName(fit.belowZero) +
               " comes out below zero, so no split is given";
    case FitState::Fits:
    case FitState::FitsRoughly:
        return "largest miss " + Percent("%.1f %%", fit.largestResidual) + " (at " + where +
               "), visits " + Percent("%.1f %%", fit.spread) + " apart" +
               (fit.state == FitState::FitsRoughly
                    ? "; the model misses by more than the visits' spread, and its intervals "
                      "include that miss"
                    : "");
    }
    return "";
}

std::string ComponentCell(const Component& c)
{
    return Significant(c.value) + " " + CostUnit(c.cost) + " (" + Significant(c.low) +
           (c.low < 0 ? " to " : "-") + Significant(c.high) + ")";
}

void PrintSweep(std::FILE* out, const SweepRecord& record, const SweepFit& fit)
{
    std::size_t passes = 0;
    std::size_t dropped = 0;
    for (const SweepVisit& v : record.visits) {
        passes += v.passes.size();
        dropped += v.dropped;
    }
    std::fprintf(out, "sweep: %zu visits to %zu drawing areas, %zu passes (%zu dropped)\n",
                 record.visits.size(), fit.screen.areas, passes, dropped);
    PrintModel(out, "pass time = fixed + per line call x lines + per pixel x pixels", fit.screen,
               fit.memory);
    if (fit.apart) {
        PrintModel(out, "with horizontal and vertical line calls apart", fit.screenApart,
                   fit.memoryApart);
    }
    for (const SweepWarning& warning : record.warnings) {
        std::fprintf(out, "warning: %s\n", SweepWarningWords(warning).c_str());
    }
}

std::vector<std::string> SweepComparisonWarnings(const SweepComparison& c)
{
    std::vector<std::string> warnings;
    const char* names[] = {"on screen", "in memory"};
    for (int drawn = 0; drawn < 2; ++drawn) {
        for (const auto& [fit, side] : {std::make_pair(&c.contrast.base[drawn], "A"),
                                        std::make_pair(&c.contrast.other[drawn], "B")}) {
            if (!fit->stands) {
                warnings.push_back(std::string(side) + " " + names[drawn] + ": " + FitText(*fit));
            }
        }
    }
    for (const ComponentRatio& m : c.contrast.machineMoved) {
        warnings.push_back(std::string("in memory, ") + CostName(m.cost) + " is " +
                           RatioText(m.ratio) + " as much in B: the machine itself changed");
    }
    return warnings;
}

std::string RatioSentence(const ComponentRatio& r)
{
    const std::string unit = CostUnit(r.cost);
    return CostName(r.cost) + (": B " + Significant(r.other)) + " " + unit + " against A " +
           Significant(r.base) + " " + unit + ", " + RatioCell(r) + ", " +
           (r.direction != Direction::CannotTell ? DirectionWord(r.direction) + " in B"
            : r.machineExplains
                ? std::string("cannot tell apart: the machine's own change explains it")
            : r.machineMayExplain
                ? std::string("cannot tell apart: the machine's own cost may have changed as much")
                : std::string("cannot tell apart"));
}

void PrintSweepComparison(std::FILE* out, const SweepComparison& c)
{
    std::fprintf(out, "A: %s\nB: %s\n", c.baseName.c_str(), c.otherName.c_str());
    std::fprintf(out, "on screen:\n");
    if (c.contrast.screen.empty()) {
        std::fprintf(out, "  cannot compare: the model does not stand on both sides\n");
    }
    for (const ComponentRatio& r : c.contrast.screen) {
        std::fprintf(out, "  %s\n", RatioSentence(r).c_str());
    }
    std::fprintf(out, "in memory (the machine):\n");
    for (const ComponentRatio& r : c.contrast.memory) {
        std::fprintf(out, "  %s\n", RatioSentence(r).c_str());
    }
    for (const std::string& warning : SweepComparisonWarnings(c)) {
        std::fprintf(out, "warning: %s\n", warning.c_str());
    }
}
