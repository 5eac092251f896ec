#include "stats/verdict.h"
#include "stats/stats.h"

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

// `single` says which side had a single run, when one did.
void Decide(Comparison& c, const std::string& base, const std::string& side,
            const std::string& single)
{
    // Rounded outwards, so the interval shown always holds the one computed.
    std::string interval = Format("95 %% interval %.2f-%.2f", std::floor(c.low * 100) / 100,
                                  std::ceil(c.high * 100) / 100);
    if (!c.betweenRuns) {
        interval += ", " + AllowanceText(c.allowance);
    }
    const std::string measure =
        c.betweenRuns ? "" : "; record three or more runs a side to measure it";
    // A difference held wholly within the band is too small to matter for a driver report,
    // even where the runs show it is there: calling it slower would claim more than it means.
    if (c.low >= 1 - kSameBand && c.high <= 1 + kSameBand) {
        c.verdict = "same";
        c.sentence = Format("no difference beyond +-%.0f %%", kSameBand * 100) + " (" + interval +
                     measure + ")";
    } else if (c.low > 1) {
        c.verdict = "slower";
        c.sentence = side + Format(" is %.2fx slower than ", c.ratio) + base + " (" + interval +
                     measure + ")";
    } else if (c.high < 1) {
        c.verdict = "faster";
        c.sentence = side + Format(" is %.2fx faster than ", 1 / c.ratio) + base + " (" + side +
                     "/" + base + Format(" %.2f, ", c.ratio) + interval + measure + ")";
    } else {
        c.verdict = "inconclusive";
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

Comparison CompareRuns(const std::vector<Run>& base, const std::vector<Run>& runs,
                       const std::string& baseName, const std::string& sideName)
{
    const Side sideA = Pool(base);
    const Side sideB = Pool(runs);
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
    if (!c.betweenRuns) {
        // A single run shows only its own passes; how far another run of the same build would
        // land is assumed, not measured, and widens the interval both ways.
        c.allowance = kRunAllowance;
        c.low /= 1 + c.allowance;
        c.high *= 1 + c.allowance;
    }
    const std::string single = sideA.runs > 1   ? "a single run of " + sideName
                               : sideB.runs > 1 ? "a single run of " + baseName
                                                : "one run a side";
    Decide(c, baseName, sideName, single);
    return c;
}

SideEstimate EstimateSide(const std::vector<Run>& runs)
{
    const Side side = Pool(runs);
    SideEstimate e;
    e.runs = side.runs;
    e.samples = side.samples;
    e.median = std::exp(side.logMedian);
    if (side.freedom > 0 && side.variance > 0 && std::isfinite(side.logMedian)) {
        const double half = TQuantile95(side.freedom) * std::sqrt(side.variance);
        e.low = std::exp(side.logMedian - half);
        e.high = std::exp(side.logMedian + half);
    }
    return e;
}

std::string SideLetter(std::size_t index)
{
    return std::string(1, static_cast<char>('A' + index % 26));
}

std::string AreaText(const Run& run)
{
    return run.areaWidth > 0 || run.areaHeight > 0
               ? std::to_string(run.areaWidth) + " x " + std::to_string(run.areaHeight)
               : std::string();
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
