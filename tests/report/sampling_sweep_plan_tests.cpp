// Which areas a sweep visits, and in which order.
#include "model/grid.h"
#include "sampling/sweep_plan.h"
#include "stats/sweep_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <map>
#include <vector>

namespace
{

// A driver's passes from known costs (fixed ms, us a line, ms a million pixels), each visit
// in a slow spell of its own, the machine slowing by `drift` over the sweep.
std::vector<SweepVisit> Simulated(const std::vector<ClientSize>& areas,
                                  const std::vector<int>& order, double drift)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.01);
    std::vector<SweepVisit> visits;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const ClientSize area = areas[static_cast<std::size_t>(order[i])];
        const GridWork work = WorkOf(area);
        const double cost = 0.3 + 2.0 * (work.horizontalLines + work.verticalLines) / 1000 +
                            4.0 * work.pixels / 1e6;
        const double machine =
            1 + drift * static_cast<double>(i) / static_cast<double>(order.size());
        SweepVisit visit;
        visit.clientWidth = area.width;
        visit.clientHeight = area.height;
        for (int pass = 0; pass < 8; ++pass) {
            visit.passes.push_back(cost * machine * std::exp(noise(random)));
        }
        visits.push_back(visit);
    }
    return visits;
}

// How far drift bends the split: per pixel over per line, against the truth (2.0).
double SplitBias(const std::vector<SweepVisit>& visits)
{
    const ModelFit fit = FitModel(visits, Drawn::OnScreen, LineCalls::Together);
    return std::fabs(fit.components[2].value / fit.components[1].value / 2.0 - 1);
}

TEST(SweepPlan, AreasSmallAndLargeWideAndTallAndOfOneDirection)
{
    const std::vector<ClientSize> areas = ChooseSweepAreas({1920, 1040});
    ASSERT_EQ(areas.size(), 8u);
    int verticalOnly = 0;
    for (const ClientSize& a : areas) {
        EXPECT_LE(a.width, 1920);
        EXPECT_LE(a.height, 1040);
        EXPECT_GE(a.width, 408);
        verticalOnly += WorkOf(a).horizontalLines == 0 ? 1 : 0;
        EXPECT_EQ(std::count_if(areas.begin(), areas.end(),
                                [&](const ClientSize& b) {
                                    return a.width == b.width && a.height == b.height;
                                }),
                  1);
    }
    EXPECT_EQ(verticalOnly, 2);
    // However large the screen, a 4K display's area at most; too small a screen, no sweep.
    for (const ClientSize& a : ChooseSweepAreas({16000, 10000})) {
        EXPECT_LE(a.width - 8, kSweepMostWidth);
        EXPECT_LE(a.height - 88, kSweepMostHeight);
    }
    EXPECT_TRUE(ChooseSweepAreas({600, 300}).empty());
    EXPECT_GE(ChooseSweepAreas({700, 500}).size(), 3u);
}

TEST(SweepPlan, OrderVisitsEveryAreaEachRoundAndSpreadsDrift)
{
    const std::vector<ClientSize> areas = ChooseSweepAreas({1920, 1040});
    for (int rounds : {2, 3, 4}) {
        const std::vector<int> order = SweepOrder(areas, rounds);
        ASSERT_EQ(order.size(), areas.size() * static_cast<std::size_t>(rounds));
        std::map<int, double> position;
        for (std::size_t i = 0; i < order.size(); ++i) {
            position[order[i]] += static_cast<double>(i) / rounds;
            if (i > 0) {
                EXPECT_NE(order[i], order[i - 1]) << "an area twice running, at " << i;
            }
        }
        // Each area's visits lie on average near the sweep's middle.
        const double middle = static_cast<double>(order.size() - 1) / 2;
        for (const auto& [area, mean] : position) {
            EXPECT_NEAR(mean, middle, 0.25 * static_cast<double>(order.size()))
                << "area " << area << ", " << rounds << " rounds";
        }
    }
    // A machine slowing by 30 % over the sweep bends the split little in this order, and much
    // more when the areas go from smallest to largest.
    const std::vector<int> order = SweepOrder(areas, 2);
    std::vector<int> bySize;
    for (int round = 0; round < 2; ++round) {
        std::vector<int> sorted(areas.size());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            sorted[i] = static_cast<int>(i);
        }
        std::sort(sorted.begin(), sorted.end(),
                  [&](int a, int b) { return WorkOf(areas[a]).pixels < WorkOf(areas[b]).pixels; });
        bySize.insert(bySize.end(), sorted.begin(), sorted.end());
    }
    const double spread = SplitBias(Simulated(areas, order, 0.3));
    const double sorted = SplitBias(Simulated(areas, bySize, 0.3));
    EXPECT_LT(spread, 0.05);
    EXPECT_GT(sorted, 2 * spread);
}

} // namespace
