// The sweep: the lines and pixels a pass draws at each area, the fit of fixed, per line and
// per pixel costs against scipy's (tests/data/report/sweep/make_sweep_oracle.py), the order of
// visits, the areas chosen, the record and the comparison of two sweeps.
#include "commands/commands.h"
#include "output/sweep_output.h"
#include "report_files.h"
#include "results/sweep_record.h"
#include "sampling/sweep_plan.h"
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

const std::string kData = std::string(ZOLVIK_TEST_DATA) + "/report/sweep/";

json Oracle()
{
    std::ifstream file(kData + "oracle.json");
    return json::parse(file);
}

SweepRecord Sweep(const std::string& name)
{
    SweepRecord record;
    std::string error;
    const std::string path = kData + name + ".json";
    EXPECT_TRUE(ReadSweepRecord(std::wstring(path.begin(), path.end()), record, error)) << error;
    return record;
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
        const std::string where = what + ": " + CostName(c.cost);
        ExpectNear(c.value, oracle["values"][i], where + " value");
        ExpectNear(c.standardError, oracle["standard_errors"][i], where + " standard error");
        ExpectNear(c.low, oracle["lows"][i], where + " low");
        ExpectNear(c.high, oracle["highs"][i], where + " high");
    }
    ExpectNear(fit.largestResidual, oracle["largest_residual"], what + " largest residual");
    ExpectNear(fit.spread, oracle["spread"], what + " spread");
    ExpectNear(fit.lackOfFitP, oracle["lack_of_fit_p"], what + " lack of fit");
}

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

} // namespace

TEST(SweepWork, LinesAndPixelsAsTheGridIsWalkedLineByLine)
{
    const json work = Oracle()["work"];
    for (auto item = work.begin(); item != work.end(); ++item) {
        const std::string size = item.key();
        const int width = std::stoi(size.substr(0, size.find('x')));
        const int height = std::stoi(size.substr(size.find('x') + 1));
        const GridWork w = WorkOf({width, height});
        EXPECT_EQ(w.horizontalLines, item.value()[0].get<double>()) << size;
        EXPECT_EQ(w.verticalLines, item.value()[1].get<double>()) << size;
        EXPECT_EQ(w.pixels, item.value()[2].get<double>()) << size;
    }
    // The designed area: 1,125 line calls, 150 horizontal and 225 vertical a colour.
    const GridWork designed = WorkOf({908, 688});
    EXPECT_EQ(designed.horizontalLines + designed.verticalLines, 1125);
    EXPECT_EQ(AreaName(AreaOfClient({908, 688})), "900 x 600");
    EXPECT_EQ(AreaName(AreaOfClient({408, 60})), "400 wide, vertical lines only");
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
            EXPECT_FALSE(c.contrast.screen[i].bounded) << CostName(c.contrast.screen[i].cost);
            continue;
        }
        ASSERT_TRUE(c.contrast.screen[i].bounded) << CostName(c.contrast.screen[i].cost);
        ExpectNear(c.contrast.screen[i].low, expected[i][0],
                   CostName(c.contrast.screen[i].cost) + std::string(" low"));
        ExpectNear(c.contrast.screen[i].high, expected[i][1],
                   CostName(c.contrast.screen[i].cost) + std::string(" high"));
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
    EXPECT_TRUE(c.warnings.empty()) << c.warnings.front();
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
        EXPECT_NEAR(r.ratio, 2, 1e-9) << CostName(r.cost);
        EXPECT_EQ(r.direction, Direction::CannotTell) << CostName(r.cost);
    }
    EXPECT_NE(
        RatioSentence(machine.contrast.screen[1]).find("the machine's own change explains it"),
        std::string::npos);
    ASSERT_FALSE(machine.warnings.empty());
    EXPECT_NE(machine.warnings[0].find("the machine itself changed"), std::string::npos);

    // Against a sweep whose model does not fit, nothing is compared, and the reason is given.
    const SweepComparison jumps = CompareSweeps(a, "A", Sweep("sweep-jumps"), "B");
    EXPECT_TRUE(jumps.contrast.screen.empty());
    ASSERT_FALSE(jumps.warnings.empty());
    EXPECT_NE(jumps.warnings[0].find("B on screen: the model does not fit"), std::string::npos);
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

TEST_F(ReportSweep, RecordKeepsEveryVisitAndItsFit)
{
    SweepRecord record = Sweep("sweep-a");
    record.warnings = {"asked for 408 x 388, got 408 x 390"};
    const std::wstring path = Path(L"sweep \u00e9.json");
    std::string error;
    ASSERT_EQ(WriteSweepRecord(path, record, FitSweep(record.visits), error), kExitOk) << error;
    EXPECT_EQ(WriteSweepRecord(path, record, FitSweep(record.visits), error), kExitFileExists);
    EXPECT_TRUE(IsSweepFile(path));
    SweepRecord back;
    ASSERT_TRUE(ReadSweepRecord(path, back, error)) << error;
    ASSERT_EQ(back.visits.size(), record.visits.size());
    for (std::size_t i = 0; i < back.visits.size(); ++i) {
        EXPECT_EQ(back.visits[i].clientWidth, record.visits[i].clientWidth);
        EXPECT_EQ(back.visits[i].passes, record.visits[i].passes);
        EXPECT_EQ(back.visits[i].controls, record.visits[i].controls);
    }
    EXPECT_EQ(back.warnings, record.warnings);
    const json written = json::parse(Content(path));
    EXPECT_TRUE(written["fit"]["on_screen"]["stands"].get<bool>());
    // How the model fits is a code for scripts, not a sentence.
    EXPECT_EQ(written["fit"]["on_screen"]["state"], "fits");
    EXPECT_EQ(written["visits"][0]["drawing_area"], "400 x 300");
    EXPECT_EQ(written["fit"]["on_screen"]["components"]["per line call"]["unit"], "us");

    const std::wstring broken =
        Write(L"broken.json", R"({"format": "zolvik-report sweep", "visits": [{"client_area":)"
                              R"( {"width": 408, "height": -5}, "passes_ms": [1]}]})");
    EXPECT_FALSE(ReadSweepRecord(broken, back, error));
    EXPECT_NE(error.find("visits[0]"), std::string::npos) << error;
    EXPECT_FALSE(IsSweepFile(Write(L"record.json", R"({"format": "zolvik-report record"})")));
}

TEST_F(ReportSweep, ComparingASweepWithRunsIsRefused)
{
    const std::string a = kData + "sweep-a.json";
    const std::string runs = std::string(ZOLVIK_TEST_DATA) + "/report/same-build-1.json";
    std::FILE* out = std::tmpfile();
    CompareOutputs outputs;
    EXPECT_EQ(
        CompareFiles({std::wstring(a.begin(), a.end()), std::wstring(runs.begin(), runs.end())},
                     outputs, out, out),
        kExitBadFile);
    const std::wstring md = Path(L"sweeps.md");
    outputs.markdown = md;
    EXPECT_EQ(CompareFiles({std::wstring(a.begin(), a.end()), std::wstring(a.begin(), a.end())},
                           outputs, out, out),
              kExitOk);
    std::fclose(out);
    // The table comes out as a table: a header and a row a component, every row whole.
    const std::string html = RenderedMarkdown(md);
    EXPECT_NE(html.find("<table>"), std::string::npos) << html;
    for (const char* cost :
         {"<td>fixed</td>", "<td>per line call</td>", "<td>per million pixels</td>"}) {
        EXPECT_NE(html.find(cost), std::string::npos) << cost << "\n" << html;
    }
    std::size_t cells = 0;
    for (std::size_t at = html.find("<td>"); at != std::string::npos;
         at = html.find("<td>", at + 1)) {
        ++cells;
    }
    EXPECT_EQ(cells, 3u * 6u);
}
