// The picture of a comparison: each side's passes run by run on the left, and on the right
// each side's ratio to the first with its interval, against 1 and the band counted the same.
#include "output/text.h"
#include "output/svg.h"
#include "output/svg_canvas.h"
#include "results/files.h"

#include <algorithm>
#include <cmath>

namespace
{

const char* const kSideColours[] = {kPassColour, kBlockColour, "#8e44ad",
                                    "#27ae60",   "#c0392b",    "#7f8c8d"};
constexpr double kTop = 60;
constexpr double kBottom = 430;
constexpr double kSplit = 600;

// Each verdict as the text says it: its headline, its figures a line each in columns, and
// what to do next. Returns where the next line would go.
double DrawVerdicts(Svg& svg, const ComparedSides& compared, double y)
{
    const double columns[] = {110, 140, 380, 460, 680};
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        const ComparedSide& side = compared.sides[i];
        const VerdictText text = SayVerdict(side.comparison, "A", side.letter);
        svg.Text(columns[0], y, text.headline, "start", 13, "font-weight=\"bold\"");
        y += 18;
        for (const VerdictFigure& f : text.figures) {
            svg.Text(columns[1], y, f.label, "start", 12);
            svg.Text(columns[2], y, f.ratio, "start", 12);
            svg.Text(columns[3], y, f.interval, "start", 12);
            svg.Text(columns[4], y, f.word, "start", 12);
            y += 16;
        }
        svg.Text(columns[1], y, "next: " + text.next, "start", 12);
        y += 20;
    }
    return y;
}

// Lines DrawVerdicts takes.
double VerdictsHeight(const ComparedSides& compared)
{
    double height = 0;
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        const VerdictText text = SayVerdict(compared.sides[i].comparison, "A", "");
        height += 18 + 16 * static_cast<double>(text.figures.size()) + 20;
    }
    return height;
}

// Each side takes an equal share of the width; each of its runs a strip of passes and a bar
// at the run's median.
void DrawRuns(Svg& svg, const ComparedSides& compared)
{
    const double left = 80;
    std::vector<const Run*> all;
    for (const ComparedSide& side : compared.sides) {
        for (const Run& run : side.file.runs) {
            all.push_back(&run);
        }
    }
    const Axis y = DurationAxis(all, kBottom, kTop);
    YAxis(svg, y, left, kSplit - 20, "line drawing time of one pass (ms)");
    svg.Line(left, kBottom, kSplit - 20, kBottom, "black");
    const double share = (kSplit - 20 - left) / static_cast<double>(compared.sides.size());
    for (std::size_t s = 0; s < compared.sides.size(); ++s) {
        const std::vector<Run>& runs = compared.sides[s].file.runs;
        const double from = left + static_cast<double>(s) * share;
        const double strip = share / static_cast<double>(runs.size() + 1);
        const char* colour = kSideColours[s % (sizeof kSideColours / sizeof kSideColours[0])];
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const double centre = from + strip * static_cast<double>(r + 1);
            for (const Sample& sample : runs[r].samples) {
                const double jitter = static_cast<double>(sample.index * 37 % 17) / 17 - 0.5;
                svg.Dot(centre + jitter * strip * 0.6, y.At(sample.durationMs), colour);
            }
            const double median = compared.sides[s].analyses[r].report.summary.median;
            svg.Line(centre - strip * 0.4, y.At(median), centre + strip * 0.4, y.At(median),
                     "black", 3);
            svg.Text(centre, kBottom + 16, std::to_string(runs[r].number), "middle", 11);
        }
        const std::string label = compared.sides.size() == 2
                                      ? compared.sides[s].letter + " (runs; bar: run median)"
                                      : compared.sides[s].letter + " runs";
        svg.Text(from + share / 2, kBottom + 36, label, "middle");
    }
}

constexpr char kRelativeColour[] = "#1f5fa8";
constexpr char kRelativeFill[] = "fill=\"#1f5fa8\"";

void DrawRatios(Svg& svg, const ComparedSides& compared)
{
    const double left = kSplit + 30;
    const double right = kPlotWidth - 30;
    double low = 0.9;
    double high = 1.1;
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        const Comparison& c = compared.sides[i].comparison;
        const double top = std::isfinite(c.high) ? c.high : c.ratio * 2;
        low = std::min({low, c.low * 0.95, c.ratio * 0.95});
        high = std::max({high, top * 1.05, c.ratio * 1.05});
        if (c.machine != Machine::Unknown && std::isfinite(c.relative.high)) {
            low = std::min(low, c.relative.low * 0.95);
            high = std::max(high, c.relative.high * 1.05);
        }
    }
    const Axis r = NiceAxis(low, high, left, right);
    svg.Box(r.At(1 - kSameBand), kTop, r.At(1 + kSameBand), kBottom, kBandColour, 0.25);
    svg.Line(r.At(1), kTop, r.At(1), kBottom, "black", 1, "stroke-dasharray=\"4 3\"");
    const std::string base = compared.sides.front().letter;
    const double rows = static_cast<double>(compared.sides.size());
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        const ComparedSide& side = compared.sides[i];
        const Comparison& c = side.comparison;
        const double top = std::isfinite(c.high) ? c.high : c.ratio * 2;
        const double ry = kTop + (kBottom - kTop) * static_cast<double>(i) / rows;
        svg.Line(r.At(c.low), ry, r.At(top), ry, "black", 2);
        svg.Line(r.At(c.low), ry - 8, r.At(c.low), ry + 8, "black", 2);
        svg.Line(r.At(top), ry - 8, r.At(top), ry + 8, "black", 2);
        svg.Dot(r.At(c.ratio), ry, "#c0392b", 5);
        svg.Text(r.At(c.ratio), ry - 16, side.letter + "/" + base + " " + Number(c.ratio, 3),
                 "middle");
        if (c.machine != Machine::Unknown && std::isfinite(c.relative.high)) {
            // Below it, in blue: the same against the grid drawn in memory, the machine out.
            const double qy = ry + 22;
            svg.Line(r.At(c.relative.low), qy, r.At(c.relative.high), qy, kRelativeColour, 2);
            svg.Dot(r.At(c.relative.value), qy, kRelativeColour, 4);
            svg.Text(r.At(c.relative.value), qy + 16,
                     "on screen / in memory " + Number(c.relative.value, 3), "middle", 11,
                     kRelativeFill);
        }
    }
    XAxis(svg, r, kBottom,
          compared.sides.size() == 2 ? "ratio of medians B/A, 95 % interval"
                                     : "ratio of medians to " + base + ", 95 % interval");
    svg.Text((left + right) / 2, kTop + 14, "green: within 5 % of 1", "middle", 11);
}

std::string Title(const ComparedSides& compared)
{
    const ComparedSide& base = compared.sides.front();
    if (compared.sides.size() == 2) {
        return "Zolvik line drawing time: A " + base.name + " against B " + compared.sides[1].name;
    }
    std::string others;
    for (std::size_t i = 1; i < compared.sides.size(); ++i) {
        others += (i > 1 ? ", " : "") + compared.sides[i].letter;
    }
    return "Zolvik line drawing time: " + others + " against A: " + base.name;
}

} // namespace

int WriteComparisonPlot(const std::wstring& path, const ComparedSides& compared, std::string& error)
{
    const bool named = compared.sides.size() > 2;
    const double first = kBottom + 70 + (named ? 18 : 0);
    Svg svg(Title(compared), first + VerdictsHeight(compared));
    DrawRuns(svg, compared);
    DrawRatios(svg, compared);
    if (named) {
        // Beyond two sides the title cannot hold every name.
        std::string names;
        for (const ComparedSide& side : compared.sides) {
            names += (names.empty() ? "" : "; ") + side.letter + ": " + side.name;
        }
        svg.Text(kPlotWidth / 2, kBottom + 62, names.substr(0, 150), "middle", 11);
    }
    if (!compared.warnings.empty()) {
        svg.Text(kPlotWidth / 2, 44,
                 "warning: " + ComparisonWarningWords(compared.warnings.front()), "middle", 12,
                 "fill=\"#c0392b\"");
    }
    DrawVerdicts(svg, compared, first);
    return SaveSvg(path, svg, error);
}
