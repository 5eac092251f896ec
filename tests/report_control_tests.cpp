// The control: runs pair each spell of control passes with the passes after it, keep their
// control in records, and a run's summary says how long the screen took against memory; a
// machine that changes speed under recorded runs is not called a driver difference. (The
// control's grid is the program's own timed lines, TimeGridLines, tested with the pass.)
#include "output/output.h"
#include "results/results.h"
#include "stats/machine.h"

#include "report_files.h"

#include <nlohmann/json.hpp>

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
    PrintControl(out, RunWithControl());
    PrintControl(out, NumberedRun(2, run.samples)); // no control: nothing
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
    ASSERT_EQ(WriteRecord(path, false, {"{}", "{}"}, RunWithControl(), error), 0) << error;
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
    const auto called = [](const std::string& verdict) {
        return verdict == "slower" || verdict == "faster";
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
            count.machineChanged += c.machineChanged ? 1 : 0;
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
