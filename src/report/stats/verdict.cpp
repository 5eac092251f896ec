#include "stats/verdict.h"
#include "stats/machine.h"
#include "stats/stats.h"

#include <algorithm>
#include <cmath>

namespace
{

// One side's log median and the variance of that estimate.
struct Side {
    double logMedian = 0;
    double variance = 0;
    double freedom = 0;
    std::size_t runs = 0;
    std::size_t samples = 0;
};

// A run too short for its own interval shows nothing of how far its median may be off; it is
// taken to be off by as much as the allowance for runs of one build (two standard deviations),
// so that short runs that happen to agree never make a narrower interval.
const double kShortRunError = std::log(1 + kRunAllowance) / 2;

// Runs are the units: each run's figure counts once, and their spread (never less than the
// spread each run shows inside itself) gives the variance. A single run has only its blocks,
// which cannot show how much runs differ from one another.
Side Pool(const std::vector<RunFigure>& figures)
{
    Side side;
    side.runs = figures.size();
    double withinSum = 0;
    for (const RunFigure& figure : figures) {
        side.logMedian += figure.logValue;
        const double error = figure.freedom > 0 ? figure.standardError : kShortRunError;
        withinSum += error * error;
    }
    const double r = static_cast<double>(figures.size());
    side.logMedian /= r;
    if (figures.size() == 1) {
        side.variance = figures[0].standardError * figures[0].standardError;
        side.freedom = figures[0].freedom;
        return side;
    }
    double between = 0;
    for (const RunFigure& figure : figures) {
        between += (figure.logValue - side.logMedian) * (figure.logValue - side.logMedian);
    }
    between /= r - 1;
    side.variance = std::max(between, withinSum / r) / r;
    side.freedom = r - 1;
    return side;
}

Side Pool(const std::vector<Run>& runs)
{
    Side side = Pool(FiguresOf(runs, ScreenFigure));
    for (const Run& run : runs) {
        side.samples += run.samples.size();
    }
    return side;
}

std::string Format(const char* format, double a, double b = 0, double c = 0)
{
    char text[300];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string AllowanceText(double allowance)
{
    return Format("assuming runs of one build differ by up to %.0f %%", allowance * 100);
}

} // namespace

std::string Classify(double low, double high)
{
    // A difference held wholly within the band is too small to matter for a driver report,
    // even where the runs show it is there: calling it slower would claim more than it means.
    if (low >= 1 - kSameBand && high <= 1 + kSameBand) {
        return "same";
    }
    return low > 1 ? "slower" : high < 1 ? "faster" : "inconclusive";
}

std::string IntervalText(double low, double high)
{
    // Rounded outwards, so the interval shown always holds the one computed.
    return Format("95 %% interval %.2f-%.2f", std::floor(low * 100) / 100,
                  std::ceil(high * 100) / 100);
}

namespace
{

// `single` says which side had a single run, when one did.
void Decide(Comparison& c, const std::string& base, const std::string& side,
            const std::string& single)
{
    std::string interval = IntervalText(c.low, c.high);
    if (!c.betweenRuns) {
        interval += ", " + AllowanceText(c.allowance);
    }
    const std::string measure =
        c.betweenRuns ? "" : "; record three or more runs a side to measure it";
    if (c.verdict == "same") {
        c.sentence = Format("no difference beyond +-%.0f %%", kSameBand * 100) + " (" + interval +
                     measure + ")";
    } else if (c.verdict == "slower") {
        c.sentence = side + Format(" is %.2fx slower than ", c.ratio) + base + " (" + interval +
                     measure + ")";
    } else if (c.verdict == "faster") {
        c.sentence = side + Format(" is %.2fx faster than ", 1 / c.ratio) + base + " (" + side +
                     "/" + base + Format(" %.2f, ", c.ratio) + interval + measure + ")";
    } else {
        const std::string hidden =
            Format("a difference under %.0f %%", std::ceil(100 * std::max(c.high - 1, 1 - c.low)));
        if (c.betweenRuns) {
            c.sentence = "inconclusive (" + interval + "): with these runs " + hidden +
                         " cannot be told from noise; record more or longer runs";
        } else {
            c.sentence = "inconclusive (" + interval + "): with " + single + " " + hidden +
                         " cannot be told from the spread between runs of one build; record "
                         "three or more runs a side (--runs 3)";
        }
    }
}

} // namespace

Comparison ContrastFigures(const std::vector<RunFigure>& base,
                           const std::vector<RunFigure>& figures)
{
    const Side sideA = Pool(base);
    const Side sideB = Pool(figures);
    Comparison c;
    const double difference = sideB.logMedian - sideA.logMedian;
    c.ratio = std::exp(difference);
    const double variance = sideA.variance + sideB.variance;
    c.betweenRuns = sideA.runs > 1 && sideB.runs > 1;
    c.verdict = "inconclusive";
    c.high = INFINITY;
    // A median of 0 ms (a file may say so) has no logarithm to compare.
    if (!std::isfinite(difference) || !std::isfinite(variance)) {
        c.sentence = "inconclusive: a side has a median of 0 ms, which cannot be compared";
        c.ratio = std::isfinite(difference) ? c.ratio : 0;
        return c;
    }
    if (sideA.freedom == 0 || sideB.freedom == 0 || variance <= 0) {
        c.sentence = "inconclusive: too few samples for an interval; record more or longer runs";
        return c;
    }
    // Welch-Satterthwaite: the degrees of freedom of a sum of two estimated variances.
    c.freedom = variance * variance /
                (sideA.variance * sideA.variance / sideA.freedom +
                 sideB.variance * sideB.variance / sideB.freedom);
    const double half = TQuantile95(c.freedom) * std::sqrt(variance);
    c.low = std::exp(difference - half);
    c.high = std::exp(difference + half);
    if (!c.betweenRuns) {
        // A single run shows only its own passes; how far another run of the same build would
        // land is assumed, not measured, and widens the interval both ways.
        c.allowance = kRunAllowance;
        c.low /= 1 + c.allowance;
        c.high *= 1 + c.allowance;
    }
    c.verdict = Classify(c.low, c.high);
    return c;
}

Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName, const std::string& sideName)
{
    Comparison c = ContrastFigures(FiguresOf(base, ScreenFigure), FiguresOf(runs, ScreenFigure));
    if (c.sentence.empty()) {
        const std::string single = base.size() > 1   ? "a single run of " + sideName
                                   : runs.size() > 1 ? "a single run of " + baseName
                                                     : "one run a side";
        Decide(c, baseName, sideName, single);
    }
    TakeOutTheMachine(c, base, runs, baseName, sideName);
    return c;
}

namespace
{

Interval SideInterval(const Side& side)
{
    Interval interval;
    interval.value = std::exp(side.logMedian);
    if (side.freedom > 0 && side.variance > 0 && std::isfinite(side.logMedian)) {
        const double half = TQuantile95(side.freedom) * std::sqrt(side.variance);
        interval.low = std::exp(side.logMedian - half);
        interval.high = std::exp(side.logMedian + half);
    }
    return interval;
}

} // namespace

SideEstimate EstimateSide(const std::vector<Run>& runs)
{
    const Side side = Pool(runs);
    SideEstimate e;
    e.runs = side.runs;
    e.samples = side.samples;
    const Interval screen = SideInterval(side);
    e.median = screen.value;
    e.low = screen.low;
    e.high = screen.high;
    if (HasControl(runs)) {
        e.memory = SideInterval(Pool(FiguresOf(runs, MemoryFigure)));
        e.relative = SideInterval(Pool(FiguresOf(runs, RelativeFigure)));
    }
    return e;
}

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
