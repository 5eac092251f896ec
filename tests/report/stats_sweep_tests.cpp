// The sweep's model against an independent fit, where it stands and where it does not, and
// two sweeps compared cost by cost.
#include "output/text.h"
#include "output/markdown.h"
#include "report_files.h"
#include "sweep_data.h"
#include "results/sweep_record.h"
#include "stats/sweep_fit.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <random>

namespace
{

using nlohmann::json;
using ReportSweep = ReportFiles;

json Oracle()
{
    std::ifstream file(kSweepData + "oracle.json");
    return json::parse(file);
}

void ExpectNear(double actual, double expected, const std::string& what)
{
    EXPECT_NEAR(actual, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << what;
}

void ExpectFitAsOracle(const ModelFit& fit, const json& oracle, const std::string& what)
{
    ASSERT_EQ(fit.components.size(), oracle["values"].size()) << what;
    EXPECT_EQ(fit.freedom, oracle["freedom"].get<double>()) << what;
    for (std::size_t i = 0; i < fit.components.size(); ++i) {
        const Component& c = fit.components[i];
        const std::string where = what + ": " + CostCode(c.cost);
        ExpectNear(c.value, oracle["values"][i], where + " value");
        ExpectNear(c.standardError, oracle["standard_errors"][i], where + " standard error");
        ExpectNear(c.low, oracle["lows"][i], where + " low");
        ExpectNear(c.high, oracle["highs"][i], where + " high");
    }
    ExpectNear(fit.largestResidual, oracle["largest_residual"], what + " largest residual");
    ExpectNear(fit.spread, oracle["spread"], what + " spread");
    ExpectNear(fit.lackOfFitP, oracle["lack_of_fit_p"], what + " lack of fit");
}

TEST(SweepFit, AgreesWithScipyOnEverySweep)
{
    const json oracle = Oracle()["fits"];
    for (auto item = oracle.begin(); item != oracle.end(); ++item) {
        const std::vector<SweepVisit> visits = Sweep(item.key()).visits;
        ASSERT_EQ(visits.size(), 24u) << item.key();
        ExpectFitAsOracle(FitModel(visits, Drawn::OnScreen, LineCalls::Together),
                          item.value()["screen"], item.key() + " on screen");
        ExpectFitAsOracle(FitModel(visits, Drawn::InMemory, LineCalls::Together),
                          item.value()["memory"], item.key() + " in memory");
        ExpectFitAsOracle(FitModel(visits, Drawn::OnScreen, LineCalls::Apart),
                          item.value()["screen_apart"], item.key() + " on screen, lines apart");
    }
}

TEST(SweepFit, StandsWhereTheModelHoldsAndSaysSoWhereItDoesNot)
{
    const SweepFit plain = FitSweep(Sweep("sweep-a").visits);
    EXPECT_TRUE(plain.screen.stands) << FitText(plain.screen);
    EXPECT_TRUE(plain.memory.stands) << FitText(plain.memory);
    // The planted costs lie within their intervals.
    EXPECT_LT(plain.screen.components[1].low, 1.0);
    EXPECT_GT(plain.screen.components[1].high, 1.0);
    EXPECT_LT(plain.screen.components[2].low, 3.0);
    EXPECT_GT(plain.screen.components[2].high, 3.0);

    // A per-pixel cost that jumps by 60 % past a million pixels: no split is given.
    const SweepFit jumps = FitSweep(Sweep("sweep-jumps").visits);
    EXPECT_FALSE(jumps.screen.stands);
    EXPECT_NE(FitText(jumps.screen).find("does not fit"), std::string::npos)
        << FitText(jumps.screen);
    EXPECT_TRUE(jumps.memory.stands) << FitText(jumps.memory);

    // Vertical calls six times a horizontal's: one cost per call cannot fit, two do.
    const SweepFit apart = FitSweep(Sweep("sweep-lines-apart").visits);
    EXPECT_FALSE(apart.screen.stands);
    ASSERT_TRUE(apart.apart);
    EXPECT_TRUE(apart.screenApart.stands) << FitText(apart.screenApart);
    const Component& vertical = apart.screenApart.components[2];
    EXPECT_LT(vertical.low, 3.0);
    EXPECT_GT(vertical.high, 3.0);
    EXPECT_GT(vertical.low, apart.screenApart.components[1].high);

    std::vector<SweepVisit> few = Sweep("sweep-a").visits;
    few.resize(3);
    EXPECT_FALSE(FitModel(few, Drawn::OnScreen, LineCalls::Together).stands);
}

TEST(SweepCompare, RatiosOfComponentsAsFiellerFoundByRootFinding)
{
    const json expected = Oracle()["ratios"]["sweep-b-per-call/sweep-a"];
    const SweepRecord a = Sweep("sweep-a");
    const SweepRecord b = Sweep("sweep-b-per-call");
    const SweepComparison c = CompareSweeps(a, "A", b, "B");
    ASSERT_EQ(c.contrast.screen.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        if (expected[i].is_null()) {
            EXPECT_FALSE(c.contrast.screen[i].bounded) << CostCode(c.contrast.screen[i].cost);
            continue;
        }
        ASSERT_TRUE(c.contrast.screen[i].bounded) << CostCode(c.contrast.screen[i].cost);
        ExpectNear(c.contrast.screen[i].low, expected[i][0],
                   CostCode(c.contrast.screen[i].cost) + std::string(" low"));
        ExpectNear(c.contrast.screen[i].high, expected[i][1],
                   CostCode(c.contrast.screen[i].cost) + std::string(" high"));
    }
    // A per-call cost twelve times as high moves the per-line figure and not the per-pixel one.
    EXPECT_EQ(c.contrast.screen[1].cost, Cost::PerLineCall);
    EXPECT_EQ(c.contrast.screen[1].direction, Direction::Higher);
    EXPECT_EQ(c.contrast.screen[2].direction, Direction::CannotTell);
    const std::string sentence = RatioSentence(c.contrast.screen[1]);
    EXPECT_NE(sentence.find("per line call: B 12.0 us against A 0.950 us, 12.6x (11.6-13.8)"),
              std::string::npos)
        << sentence;
    // Both drew the same in memory: nothing to warn of.
    EXPECT_TRUE(c.contrast.machineMoved.empty());
    EXPECT_TRUE(c.contrast.base[0].stands && c.contrast.other[0].stands);
    EXPECT_TRUE(SweepComparisonWarnings(c).empty()) << SweepComparisonWarnings(c).front();
    const std::string md = SweepComparisonMarkdown(c, "zolvik-report --compare a.json b.json");
    EXPECT_NE(md.find("| per line call | 0.950 us | 12.0 us | 12.6x (11.6-13.8) | higher in B |"),
              std::string::npos)
        << md;

    // A machine twice as slow draws everything twice as slow, in memory too: no component is
    // laid on the driver.
    SweepRecord slower = a;
    for (SweepVisit& v : slower.visits) {
        for (std::vector<double>* passes : {&v.passes, &v.controls}) {
            for (double& d : *passes) {
                d *= 2;
            }
        }
    }
    const SweepComparison machine = CompareSweeps(a, "A", slower, "B");
    ASSERT_EQ(machine.contrast.screen.size(), 3u);
    for (const ComponentRatio& r : machine.contrast.screen) {
        EXPECT_NEAR(r.ratio, 2, 1e-9) << CostCode(r.cost);
        EXPECT_EQ(r.direction, Direction::CannotTell) << CostCode(r.cost);
    }
    EXPECT_NE(
        RatioSentence(machine.contrast.screen[1]).find("the machine's own change explains it"),
        std::string::npos);
    ASSERT_EQ(machine.contrast.machineMoved.size(), machine.contrast.memory.size());
    for (const ComponentRatio& m : machine.contrast.machineMoved) {
        EXPECT_NEAR(m.ratio, 2, 1e-9) << CostCode(m.cost);
    }

    // A machine whose own cost rose by about the band, too little to say it changed and too
    // much to say it stayed: what the screen shows within the machine's reach is not laid on
    // the driver; what lies beyond it is.
    for (const double onScreen : {1.12, 3.0}) {
        SweepRecord unclear = a;
        for (SweepVisit& v : unclear.visits) {
            for (double& d : v.passes) {
                d *= onScreen;
            }
            for (double& d : v.controls) {
                d *= 1.10;
            }
        }
        const SweepComparison u = CompareSweeps(a, "A", unclear, "B");
        const ComponentRatio& pixels = u.contrast.screen[2];
        const ComponentRatio& memory = u.contrast.memory[2];
        ASSERT_EQ(pixels.cost, Cost::PerMillionPixels);
        // The premise: in memory the interval reaches both within and beyond the band.
        ASSERT_TRUE(memory.low < 1 + kMachineBand && memory.high > 1 + kMachineBand)
            << memory.low << "-" << memory.high;
        EXPECT_TRUE(u.contrast.machineMoved.empty());
        const bool beyond = pixels.low > memory.high;
        EXPECT_EQ(pixels.direction, beyond ? Direction::Higher : Direction::CannotTell)
            << onScreen << ": " << RatioSentence(pixels);
        EXPECT_EQ(pixels.machineMayExplain, !beyond) << onScreen;
        EXPECT_EQ(beyond, onScreen > 2) << RatioSentence(pixels);
    }

    // Against a sweep whose model does not fit, nothing is compared, and the reason is given.
    const SweepComparison jumps = CompareSweeps(a, "A", Sweep("sweep-jumps"), "B");
    EXPECT_TRUE(jumps.contrast.screen.empty());
    EXPECT_FALSE(jumps.contrast.other[0].stands);
    EXPECT_EQ(jumps.contrast.other[0].state, FitState::MissesAnArea);
}

} // namespace
