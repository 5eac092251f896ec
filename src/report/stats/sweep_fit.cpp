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
        return {{Cost::Fixed},
                {Cost::PerHorizontalLineCall},
                {Cost::PerVerticalLineCall},
                {Cost::PerMillionPixels}};
    }
    return {{Cost::Fixed}, {Cost::PerLineCall}, {Cost::PerMillionPixels}};
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

void JudgeFit(ModelFit& fit)
{
    const bool lacks = fit.lackOfFitP >= 0 && fit.lackOfFitP < kLackOfFitLevel;
    if (lacks && fit.largestResidual > kTolerableMiss) {
        fit.state = FitState::MissesAnArea;
        return;
    }
    for (const Component& c : fit.components) {
        if (c.cost != Cost::Fixed && c.high < 0) {
            fit.state = FitState::BelowZero;
            fit.belowZero = c.cost;
            return;
        }
    }
    fit.stands = true;
    fit.state = lacks ? FitState::FitsRoughly : FitState::Fits;
}

} // namespace

ModelFit FitModel(const std::vector<SweepVisit>& visits, Drawn drawn, LineCalls lines)
{
    const bool control = drawn == Drawn::InMemory;
    const bool apart = lines == LineCalls::Apart;
    ModelFit fit;
    fit.components = NamedComponents(apart);
    const std::vector<Row> rows = RowsOf(visits, control, apart);
    const std::size_t k = fit.components.size();
    fit.visits = rows.size();
    if (rows.size() <= k) {
        fit.state = FitState::TooFewVisits;
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
        fit.state = FitState::NotToldApart;
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
        fit.state = FitState::TooFewAreas;
        return fit;
    }
    JudgeFit(fit);
    return fit;
}

SweepFit FitSweep(const std::vector<SweepVisit>& visits)
{
    SweepFit fit;
    fit.screen = FitModel(visits, Drawn::OnScreen, LineCalls::Together);
    fit.memory = FitModel(visits, Drawn::InMemory, LineCalls::Together);
    fit.screenApart = FitModel(visits, Drawn::OnScreen, LineCalls::Apart);
    fit.memoryApart = FitModel(visits, Drawn::InMemory, LineCalls::Apart);
    fit.apart = fit.screenApart.freedom > 0;
    return fit;
}

const char* CostCode(Cost cost)
{
    switch (cost) {
    case Cost::Fixed:
        return "fixed";
    case Cost::PerLineCall:
        return "per_line_call";
    case Cost::PerHorizontalLineCall:
        return "per_horizontal_line_call";
    case Cost::PerVerticalLineCall:
        return "per_vertical_line_call";
    case Cost::PerMillionPixels:
        return "per_million_pixels";
    }
    return "";
}

const char* CostUnit(Cost cost)
{
    return cost == Cost::Fixed || cost == Cost::PerMillionPixels ? "ms" : "us";
}

const char* FitStateCode(FitState state)
{
    switch (state) {
    case FitState::Fits:
        return "fits";
    case FitState::FitsRoughly:
        return "fits_roughly";
    case FitState::TooFewVisits:
        return "too_few_visits";
    case FitState::NotToldApart:
        return "not_told_apart";
    case FitState::TooFewAreas:
        return "too_few_areas";
    case FitState::MissesAnArea:
        return "misses_an_area";
    case FitState::BelowZero:
        return "below_zero";
    }
    return "";
}
