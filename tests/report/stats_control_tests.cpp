// The control: runs pair each spell of control passes with the passes after it, keep their
// control in records, and a run's summary says how long the screen took against memory; a
// machine that changes speed under recorded runs is not called a driver difference. (The
// control's grid is the program's own timed lines, TimeGridLines, tested with the pass.)
#include "output/text.h"
#include "results/results.h"
#include "stats/control.h"
#include "stats/verdict.h"
#include "verdict_said.h"

#include "report_files.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

#include <string>
#include <vector>

namespace
{

::Run RunWithControl()
{
    ::Run run = NumberedRun(1);
    double at = 0;
    for (int cycle = 0; cycle < 4; ++cycle) {
        for (int c = 0; c < 3; ++c) {
            run.controls.push_back({run.controls.size() + 1, at, 2.0 + 0.01 * c});
            at += 0.003;
        }
        for (int p = 0; p < 8; ++p) {
            at += 0.5;
            run.samples.push_back({run.samples.size() + 1, at, 5.0 + 0.05 * (p % 3)});
        }
    }
    return run;
}

using ReportControl = ReportFiles;

TEST_F(ReportControl, ARunPairsEachSpellWithThePassesAfterItAndSaysHowMuchLongerTheScreenTook)
{
    ::Run run = RunWithControl();
    const std::vector<PairedBlock> blocks = PairBlocks(run);
    ASSERT_EQ(blocks.size(), 4u);
    for (const PairedBlock& block : blocks) {
        EXPECT_EQ(block.controls.size(), 3u);
        EXPECT_EQ(block.passes.size(), 8u);
    }
    const ControlEstimate e = EstimateControl(run);
    EXPECT_EQ(e.count, 12u);
    EXPECT_DOUBLE_EQ(e.median, 2.01);
    EXPECT_NEAR(e.ratio, 5.05 / 2.01, 1e-12);
    EXPECT_LE(e.low, e.ratio);
    EXPECT_GE(e.high, e.ratio);
    EXPECT_EQ(e.blocks, 4u);

    // A spell at the very end, with no pass after it, joins the block before.
    run.controls.push_back({run.controls.size() + 1, run.samples.back().seconds + 0.1, 9.0});
    EXPECT_EQ(PairBlocks(run).size(), 4u);
    EXPECT_EQ(PairBlocks(run).back().controls.size(), 4u);

    const std::wstring path = Path(L"summary.txt");
    std::FILE* out = std::fopen(Utf8(path).c_str(), "w");
    ASSERT_NE(out, nullptr);
    PrintControl(out, EstimateControl(RunWithControl()));
    PrintControl(out, EstimateControl(NumberedRun(2, run.samples))); // no control: nothing
    std::fclose(out);
    const std::string text = Content(path);
    EXPECT_NE(text.find("control, the same grid drawn in memory: 12 passes, median 2.010000 ms"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("on screen: 2.51 times as long as in memory (95 % interval"),
              std::string::npos)
        << text;
}

TEST_F(ReportControl, ARecordKeepsEachRunsControlAndReadsItBack)
{
    const std::wstring path = Path(L"record.json");
    std::string error;
    ASSERT_EQ(WriteRecord(path, false, {"{}", "{}"}, RunWithControl(), AnalyseRun(RunWithControl()),
                          error),
              0)
        << error;
    const nlohmann::json record = nlohmann::json::parse(Content(path));
    const nlohmann::json& run = record["runs"][0];
    ASSERT_EQ(run["controls"].size(), 12u);
    EXPECT_EQ(run["control"]["count"], 12);
    EXPECT_DOUBLE_EQ(run["control"]["median_ms"].get<double>(), 2.01);
    EXPECT_GE(run["control"]["high"].get<double>(), run["control"]["low"].get<double>());

    ResultsFile file;
    ASSERT_TRUE(ReadResultsFile(path, file, error)) << error;
    ASSERT_EQ(file.runs.size(), 1u);
    EXPECT_EQ(file.runs[0].controls.size(), 12u);
    EXPECT_DOUBLE_EQ(file.runs[0].controls[5].durationMs, RunWithControl().controls[5].durationMs);
    EXPECT_TRUE(HasControl(file.runs));

    // A control pass paired with a pass keeps the pass it belongs to; a wrong one is refused.
    ::Run paired = NumberedRun(1, {{1, 0.5, 4.0}, {2, 1.0, 4.2}});
    paired.controls = {{1, 0.51, 2.0, 1}, {2, 1.01, 2.1, 2}};
    const std::wstring pairedPath = Path(L"paired.json");
    ASSERT_EQ(WriteRecord(pairedPath, false, {"{}", "{}"}, paired, AnalyseRun(paired), error), 0)
        << error;
    ASSERT_TRUE(ReadResultsFile(pairedPath, file, error)) << error;
    ASSERT_EQ(file.runs[0].controls.size(), 2u);
    EXPECT_EQ(file.runs[0].controls[1].pass, 2u);
    EXPECT_EQ(PairedRatios(file.runs[0]), (std::vector<double>{2.0, 4.2 / 2.1}));
    std::string text = Content(pairedPath);
    text.replace(text.find("\"pass\": 2"), 9, "\"pass\": 0");
    EXPECT_FALSE(ReadResultsFile(Write(L"paired-wrong.json", text), file, error));
    EXPECT_NE(error.find("controls[1].pass"), std::string::npos) << error;
}

} // namespace

namespace
{

// Same-build sides of `k` consecutive runs each, one recorded before the other, as a person
// records one driver and then the other: how many are called slower or faster, on raw times
// alone and with the machine taken out.
struct DriftCount {
    int pairs = 0;
    int rawDifferent = 0;
    int different = 0;
    int machineChanged = 0;
};

DriftCount CountSameBuildVerdicts(const std::vector<::Run>& runs, std::size_t k)
{
    DriftCount count;
    const auto called = [](Verdict verdict) {
        return verdict == Verdict::Slower || verdict == Verdict::Faster;
    };
    for (std::size_t a = 0; a + k <= runs.size(); ++a) {
        for (std::size_t b = a + k; b + k <= runs.size(); ++b) {
            const std::vector<::Run> sideA(runs.begin() + static_cast<long>(a),
                                           runs.begin() + static_cast<long>(a + k));
            const std::vector<::Run> sideB(runs.begin() + static_cast<long>(b),
                                           runs.begin() + static_cast<long>(b + k));
            const Comparison c = CompareRuns(sideA, sideB);
            ++count.pairs;
            count.rawDifferent += called(c.rawVerdict) ? 1 : 0;
            count.different += called(c.verdict) ? 1 : 0;
            count.machineChanged += c.machine == Machine::Changed ? 1 : 0;
        }
    }
    return count;
}

} // namespace

// Runs of one build recorded on Wine while the machine turned slow and fast again under both
// programs (tests/data/report/drifting.json, made by record_drifting.sh beside it): the drift
// moves raw times, and the control must keep it from being called a driver difference.
TEST(ReportDrift, AMachineThatChangesSpeedIsNotCalledADriverDifference)
{
    ResultsFile file;
    std::string error;
    const std::string path = ZOLVIK_TEST_DATA "/report/drifting.json";
    ASSERT_TRUE(ReadRecord(std::wstring(path.begin(), path.end()), file, error)) << error;
    ASSERT_GE(file.runs.size(), 10u);
    ASSERT_TRUE(HasControl(file.runs));
    int pairs = 0;
    int different = 0;
    for (std::size_t k : {2u, 3u}) {
        const DriftCount count = CountSameBuildVerdicts(file.runs, k);
        std::printf("sides of %zu runs: %d pairs, %d called slower or faster on raw times, %d "
                    "with the machine taken out (%d saw the machine change)\n",
                    k, count.pairs, count.rawDifferent, count.different, count.machineChanged);
        pairs += count.pairs;
        different += count.different;
    }
    EXPECT_LE(different, 0.05 * pairs);
}

namespace
{

ResultsFile RecordIn(const std::string& name)
{
    ResultsFile file;
    std::string error;
    const std::string path = ZOLVIK_TEST_DATA "/report/control/" + name;
    EXPECT_TRUE(ReadRecord(std::wstring(path.begin(), path.end()), file, error)) << error;
    return file;
}

std::string Figures(const Comparison& c)
{
    char text[300];
    std::snprintf(text, sizeof text,
                  "raw %.2f (%.2f-%.2f, %s), in memory %.2f (%.2f-%.2f), on screen / in memory "
                  "%.2f (%.2f-%.2f): %s",
                  c.ratio, c.low, c.high, VerdictWord(c.rawVerdict), c.memory.value, c.memory.low,
                  c.memory.high, c.relative.value, c.relative.low, c.relative.high,
                  VerdictWord(c.verdict));
    return text;
}

} // namespace

// Recorded on Wine (tests/data/report/control, made by record.sh there): a drawing path about
// 2.5 times slower for Zolvik alone, two runs of 12 a side, is found slower, and the control,
// which shows the machine unchanged or cannot tell, does not hold it back.
TEST(ReportControlRecorded, ADrawingPathSlowerForZolvikAloneIsFoundSlower)
{
    const Comparison c = CompareRuns(RecordIn("path-a.json").runs, RecordIn("path-b.json").runs);
    std::printf("a slower drawing path: %s; %s\n", Figures(c).c_str(),
                ResolvesText(c.resolves, "B").c_str());
    EXPECT_EQ(c.verdict, Verdict::Slower) << Said(c);
    EXPECT_FALSE(c.machine == Machine::Changed) << Said(c);
}

// Every process of the session stopped for 3 ms in every 5 during B: the machine slower, the
// driver the same. Not called slower, and the machine named.
TEST(ReportControlRecorded, AWholeMachineSlowerIsNamedNotCalledSlower)
{
    const Comparison c =
        CompareRuns(RecordIn("machine-a.json").runs, RecordIn("machine-b.json").runs);
    std::printf("a slower machine: %s; %s\n", Figures(c).c_str(),
                ResolvesText(c.resolves, "B").c_str());
    EXPECT_NE(c.verdict, Verdict::Slower) << Said(c);
    EXPECT_NE(c.verdict, Verdict::Faster) << Said(c);
    EXPECT_TRUE(c.machine == Machine::Changed) << Said(c);
    EXPECT_EQ(c.reason, Reason::MachineChanged) << Said(c);
    EXPECT_TRUE(c.machineSlowed) << Said(c);
}

// One build, 12 runs of 24 passes with a control pass after each pass, while the machine
// turned half as fast and back every 35 s: split into same-build sides of 2 and of 3
// consecutive runs, at most 5 % of pairs are called slower or faster, and the interval of on
// screen / in memory is narrower than the raw one in most pairs. Printed beside the same
// figures for runs whose control was drawn only before each reset (tests/data/report).
TEST(ReportControlRecorded, PairedControlsSharpenSameBuildComparisonsOnADriftingMachine)
{
    const auto measure = [](const std::vector<::Run>& runs, const char* what, bool paired) {
        for (std::size_t k : {2u, 3u}) {
            int pairs = 0;
            int different = 0;
            int narrower = 0;
            std::vector<double> rawWidths;
            std::vector<double> relativeWidths;
            for (std::size_t a = 0; a + k <= runs.size(); ++a) {
                for (std::size_t b = a + k; b + k <= runs.size(); ++b) {
                    const Comparison c = CompareRuns({runs.begin() + static_cast<long>(a),
                                                      runs.begin() + static_cast<long>(a + k)},
                                                     {runs.begin() + static_cast<long>(b),
                                                      runs.begin() + static_cast<long>(b + k)});
                    ++pairs;
                    different += c.verdict == Verdict::Slower || c.verdict == Verdict::Faster;
                    rawWidths.push_back(c.high / c.low);
                    relativeWidths.push_back(c.relative.high / c.relative.low);
                    narrower += relativeWidths.back() < rawWidths.back();
                }
            }
            std::printf("%s, sides of %zu runs: %d pairs, %d called slower or faster, relative "
                        "interval narrower in %d; median high/low raw %.2f, relative %.2f\n",
                        what, k, pairs, different, narrower, Median(rawWidths),
                        Median(relativeWidths));
            if (paired) {
                EXPECT_LE(different, 0.05 * pairs) << k;
                EXPECT_GT(2 * narrower, pairs) << k;
            }
        }
    };
    const ResultsFile drifting = RecordIn("drifting.json");
    ASSERT_GE(drifting.runs.size(), 12u);
    for (const ::Run& run : drifting.runs) {
        EXPECT_GE(2 * PairedRatios(run).size(), run.samples.size()) << "run " << run.number;
    }
    measure(drifting.runs, "paired controls", true);
    ResultsFile before;
    std::string error;
    const std::string path = ZOLVIK_TEST_DATA "/report/drifting.json";
    ASSERT_TRUE(ReadRecord(std::wstring(path.begin(), path.end()), before, error)) << error;
    measure(before.runs, "controls before resets only (runs of 16)", false);
}

// One build, three runs of 120 passes a side, taking turns: what the tool calls it.
TEST(ReportControlRecorded, TheSameBuildWithLongRunsIsNotCalledDifferent)
{
    const Comparison c = CompareRuns(RecordIn("same-a.json").runs, RecordIn("same-b.json").runs);
    std::printf("the same build, 3 runs of 120 a side: %s; %s\n", Figures(c).c_str(),
                ResolvesText(c.resolves, "B").c_str());
    EXPECT_NE(c.verdict, Verdict::Slower) << Said(c);
    EXPECT_NE(c.verdict, Verdict::Faster) << Said(c);
}
