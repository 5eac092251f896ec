#include "stats/sweep_fit.h"
#include "model/grid.h"

#include "stats/stats.h"

#include <boost/math/distributions/fisher_f.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace
{

// Where the model misses the areas by more than its repeats explain (at this level) and by
// more than this share of a pass, its split is not printed: the cost does not grow as lines
// and pixels.
constexpr double kLackOfFitLevel = 0.01;
constexpr double kTolerableMiss = 0.05;

using Matrix = std::vector<std::vector<double>>;

// Inverts a small symmetric positive definite matrix by Gauss-Jordan with the diagonal scaled
// to one; false where a column is (nearly) a combination of the others.
bool Invert(Matrix a, Matrix& inverse)
{
    const std::size_t k = a.size();
    std::vector<double> scale(k);
    for (std::size_t i = 0; i < k; ++i) {
        if (!(a[i][i] > 0)) {
            return false;
        }
        scale[i] = 1 / std::sqrt(a[i][i]);
    }
    inverse.assign(k, std::vector<double>(k, 0));
    for (std::size_t i = 0; i < k; ++i) {
        inverse[i][i] = 1;
        for (std::size_t j = 0; j < k; ++j) {
            a[i][j] *= scale[i] * scale[j];
        }
    }
    for (std::size_t c = 0; c < k; ++c) {
        const double pivot = a[c][c];
        if (!(pivot > 1e-10)) {
            return false;
        }
        for (std::size_t j = 0; j < k; ++j) {
            a[c][j] /= pivot;
            inverse[c][j] /= pivot;
        }
        for (std::size_t r = 0; r < k; ++r) {
            const double factor = r == c ? 0 : a[r][c];
            for (std::size_t j = 0; j < k; ++j) {
                a[r][j] -= factor * a[c][j];
                inverse[r][j] -= factor * inverse[c][j];
            }
        }
    }
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) {
            inverse[i][j] *= scale[i] * scale[j];
        }
    }
    return true;
}

struct Row {
    std::pair<int, int> area;
    std::vector<double> x;
    double y = 0;
    double weight = 0;
};

// Lines in thousands and pixels in millions: the coefficients come out in microseconds a line
// and milliseconds a million pixels, and the normal equations stay well scaled.
std::vector<double> Regressors(const GridWork& work, bool apart)
{
    if (apart) {
        return {1, work.horizontalLines / 1000, work.verticalLines / 1000, work.pixels / 1e6};
    }
    return {1, (work.horizontalLines + work.verticalLines) / 1000, work.pixels / 1e6};
}

std::vector<Component> NamedComponents(bool apart)
{
    if (apart) {
        return {{"fixed", "ms"},
                {"per horizontal line call", "us"},
                {"per vertical line call", "us"},
                {"per million pixels", "ms"}};
    }
    return {{"fixed", "ms"}, {"per line call", "us"}, {"per million pixels", "ms"}};
}

// Each area weighs by the inverse square of its usual time, so that an area's residual counts
// as a share of its passes: the spread of pass times grows with their length.
std::vector<Row> RowsOf(const std::vector<SweepVisit>& visits, bool control, bool apart)
{
    std::vector<Row> rows;
    std::map<std::pair<int, int>, std::vector<double>> byArea;
    for (const SweepVisit& visit : visits) {
        const std::vector<double>& passes = control ? visit.controls : visit.passes;
        if (passes.empty()) {
            continue;
        }
        Row row;
        row.area = {visit.clientWidth, visit.clientHeight};
        row.x = Regressors(WorkOf({visit.clientWidth, visit.clientHeight}), apart);
        row.y = Median(passes);
        byArea[row.area].push_back(row.y);
        rows.push_back(row);
    }
    for (Row& row : rows) {
        const double usual = Median(byArea[row.area]);
        row.weight = usual > 0 ? 1 / (usual * usual) : 0;
    }
    return rows;
}

std::string Printed(const char* format, double a, double b = 0, double c = 0)
{
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// The areas' means against the fit, and the visits' spread about their areas' means.
void JudgeResiduals(const std::vector<Row>& rows, const std::vector<double>& beta, double rss,
                    std::size_t k, ModelFit& fit)
{
    std::map<std::pair<int, int>, std::pair<double, double>> sums; // weighted y, weight
    std::map<std::pair<int, int>, double> fitted;
    for (const Row& row : rows) {
        double prediction = 0;
        for (std::size_t j = 0; j < k; ++j) {
            prediction += beta[j] * row.x[j];
        }
        fitted[row.area] = prediction;
        sums[row.area].first += row.weight * row.y;
        sums[row.area].second += row.weight;
    }
    double pureError = 0;
    for (const Row& row : rows) {
        const double mean = sums[row.area].first / sums[row.area].second;
        pureError += row.weight * (row.y - mean) * (row.y - mean);
    }
    fit.areas = sums.size();
    for (const auto& area : sums) {
        const double mean = area.second.first / area.second.second;
        const double prediction = fitted[area.first];
        const double miss = prediction > 0 ? std::fabs(mean - prediction) / prediction : INFINITY;
        if (miss > fit.largestResidual) {
            fit.largestResidual = miss;
            fit.residualWidth = area.first.first;
            fit.residualHeight = area.first.second;
        }
    }
    const double pureFreedom = static_cast<double>(rows.size() - fit.areas);
    const double lackFreedom = static_cast<double>(fit.areas) - static_cast<double>(k);
    if (pureFreedom > 0) {
        fit.spread = std::sqrt(pureError / pureFreedom);
    }
    if (pureFreedom > 0 && lackFreedom > 0 && pureError > 0) {
        const double f = ((rss - pureError) / lackFreedom) / (pureError / pureFreedom);
        fit.lackOfFitP = boost::math::cdf(boost::math::complement(
            boost::math::fisher_f(lackFreedom, pureFreedom), std::max(f, 0.0)));
    }
}

void SayHowItFits(ModelFit& fit)
{
    const std::string where = AreaName(AreaOfClient({fit.residualWidth, fit.residualHeight}));
    const bool lacks = fit.lackOfFitP >= 0 && fit.lackOfFitP < kLackOfFitLevel;
    if (lacks && fit.largestResidual > kTolerableMiss) {
        fit.stands = false;
        fit.says = "the model does not fit: at the drawing area " + where + " it misses by " +
                   Printed("%.0f %%, against visits %.1f %% apart; ", 100 * fit.largestResidual,
                           100 * fit.spread) +
                   "this cost does not grow as lines and pixels, so no split is given";
        return;
    }
    for (const Component& c : fit.components) {
        if (c.name != "fixed" && c.high < 0) {
            fit.stands = false;
            fit.says =
                "the model does not fit: " + c.name + " comes out below zero, so no split is given";
            return;
        }
    }
    fit.stands = true;
    fit.says = Printed("largest miss %.1f %% (at ", 100 * fit.largestResidual) + where +
               Printed("), visits %.1f %% apart", 100 * fit.spread) +
               (lacks ? "; the model misses by more than the visits' spread, and its intervals "
                        "include that miss"
                      : "");
}

} // namespace

ModelFit FitModel(const std::vector<SweepVisit>& visits, bool control, bool apart)
{
    ModelFit fit;
    fit.components = NamedComponents(apart);
    const std::vector<Row> rows = RowsOf(visits, control, apart);
    const std::size_t k = fit.components.size();
    fit.visits = rows.size();
    if (rows.size() <= k) {
        fit.says = "too few visits to fit the model";
        return fit;
    }
    Matrix normal(k, std::vector<double>(k, 0));
    std::vector<double> right(k, 0);
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < k; ++i) {
            right[i] += row.weight * row.x[i] * row.y;
            for (std::size_t j = 0; j < k; ++j) {
                normal[i][j] += row.weight * row.x[i] * row.x[j];
            }
        }
    }
    Matrix inverse;
    if (!Invert(normal, inverse)) {
        fit.says = "the areas do not tell these costs apart";
        return fit;
    }
    std::vector<double> beta(k, 0);
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) {
            beta[i] += inverse[i][j] * right[j];
        }
    }
    double rss = 0;
    for (const Row& row : rows) {
        double residual = row.y;
        for (std::size_t j = 0; j < k; ++j) {
            residual -= beta[j] * row.x[j];
        }
        rss += row.weight * residual * residual;
    }
    fit.freedom = static_cast<double>(rows.size() - k);
    const double variance = rss / fit.freedom;
    const double t = TQuantile95(fit.freedom);
    for (std::size_t i = 0; i < k; ++i) {
        Component& c = fit.components[i];
        c.value = beta[i];
        c.standardError = std::sqrt(std::max(variance * inverse[i][i], 0.0));
        c.low = c.value - t * c.standardError;
        c.high = c.value + t * c.standardError;
    }
    JudgeResiduals(rows, beta, rss, k, fit);
    if (fit.areas <= k) {
        fit.says = "too few areas to test the model";
        return fit;
    }
    SayHowItFits(fit);
    return fit;
}

SweepFit FitSweep(const std::vector<SweepVisit>& visits)
{
    SweepFit fit;
    fit.screen = FitModel(visits, false, false);
    fit.memory = FitModel(visits, true, false);
    fit.screenApart = FitModel(visits, false, true);
    fit.memoryApart = FitModel(visits, true, true);
    fit.apart = fit.screenApart.freedom > 0;
    return fit;
}

ComponentRatio CompareComponent(const Component& base, double baseFreedom, const Component& other,
                                double otherFreedom)
{
    ComponentRatio r;
    r.name = base.name;
    r.unit = base.unit;
    r.base = base.value;
    r.other = other.value;
    const double t = TQuantile95(std::min(baseFreedom, otherFreedom));
    const double a = base.value;
    const double b = other.value;
    const double va = base.standardError * base.standardError;
    const double vb = other.standardError * other.standardError;
    // Fieller: the ratios q with (b - q a)^2 <= t^2 (vb + q^2 va).
    const double qa = a * a - t * t * va;
    const double qb = -2 * a * b;
    const double qc = b * b - t * t * vb;
    const double discriminant = qb * qb - 4 * qa * qc;
    r.ratio = a != 0 ? b / a : 0;
    if (qa > 0 && discriminant >= 0) {
        r.bounded = true;
        r.low = (-qb - std::sqrt(discriminant)) / (2 * qa);
        r.high = (-qb + std::sqrt(discriminant)) / (2 * qa);
    }
    r.verdict = !r.bounded   ? "cannot tell"
                : r.low > 1  ? "higher"
                : r.high < 1 ? "lower"
                             : "cannot tell";
    return r;
}
