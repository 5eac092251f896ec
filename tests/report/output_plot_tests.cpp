// zolvik-report's pictures: rendered by librsvg (rsvg-convert) as a browser would show them;
// they must be well-formed, not blank, and say what they show.
#include "exit_codes.h"
#include "output/svg.h"
#include "results/files.h"
#include "report_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace
{

using ReportPlot = ReportFiles;

::Run Passes(int number, double median)
{
    ::Run run = NumberedRun(number);
    for (std::size_t i = 1; i <= 60; ++i) {
        const double wobble = 1 + 0.05 * std::sin(static_cast<double>(i)) + (i % 20 == 0 ? 0.4 : 0);
        run.samples.push_back({i, 0.5 * static_cast<double>(i), median * wobble});
    }
    return run;
}

// Renders the SVG to PNG and returns the PNG's standard deviation of grey, 0 for a blank
// picture, or -1 when librsvg refused the file.
double RenderedSpread(const std::wstring& svg)
{
    const std::string png = Utf8(svg) + ".png";
    const std::string render = "rsvg-convert -o '" + png + "' '" + Utf8(svg) + "' 2>&1";
    if (std::system(render.c_str()) != 0) {
        return -1;
    }
    const std::string measure =
        "convert '" + png + "' -colorspace Gray -format '%[fx:standard_deviation]' info:";
    std::FILE* pipe = popen(measure.c_str(), "r");
    double spread = -1;
    if (pipe && std::fscanf(pipe, "%lf", &spread) != 1) {
        spread = -1;
    }
    if (pipe) {
        pclose(pipe);
    }
    std::remove(png.c_str());
    return spread;
}

TEST_F(ReportPlot, ARunIsDrawnWithAxesUnitsAndItsMedian)
{
    const std::wstring path = Path(L"run & <one>.svg");
    std::string error;
    const ::Run run = Passes(1, 2.6);
    ASSERT_EQ(WriteRunPlot(path, run, EstimateMedian(Durations(run)),
                           "Zolvik run: Wine Adapter & co", error),
              kExitOk)
        << error;
    const std::string svg = Content(path);
    EXPECT_NE(svg.find("<title>Zolvik run: Wine Adapter &amp; co</title>"), std::string::npos);
    EXPECT_NE(svg.find("line drawing time of one pass (ms)"), std::string::npos);
    EXPECT_NE(svg.find("time since the run started (s)"), std::string::npos);
    EXPECT_NE(svg.find("60 passes"), std::string::npos);
    EXPECT_NE(svg.find("block medians"), std::string::npos);
    EXPECT_NE(svg.find("95 % interval"), std::string::npos);
    EXPECT_GT(RenderedSpread(path), 0.05);
    EXPECT_EQ(WriteRunPlot(path, run, EstimateMedian(Durations(run)), "again", error),
              kExitFileExists);
}

ResultsFile FileOf(std::vector<::Run> runs)
{
    ResultsFile file;
    file.runs = std::move(runs);
    return file;
}

TEST_F(ReportPlot, AComparisonShowsBothSidesRunByRunAndTheRatio)
{
    const std::vector<::Run> a = {Passes(1, 2.5), Passes(2, 2.6), Passes(3, 2.55)};
    const std::vector<::Run> b = {Passes(1, 3.2), Passes(2, 3.3), Passes(3, 3.25)};
    const ComparedSides two = CompareSides({L"before.csv", L"after.csv"}, {FileOf(a), FileOf(b)});
    ASSERT_EQ(two.sides[1].comparison.verdict, Verdict::Slower);
    const std::wstring path = Path(L"comparison.svg");
    std::string error;
    ASSERT_EQ(WriteComparisonPlot(path, two, error), kExitOk) << error;
    const std::string svg = Content(path);
    EXPECT_NE(svg.find("A before.csv against B after.csv"), std::string::npos);
    EXPECT_NE(svg.find("ratio of medians B/A, 95 % interval"), std::string::npos);
    EXPECT_NE(svg.find("B: 1."), std::string::npos);
    EXPECT_NE(svg.find("x slower than A"), std::string::npos);
    EXPECT_NE(svg.find("A (runs; bar: run median)"), std::string::npos);
    EXPECT_GT(RenderedSpread(path), 0.05);

    // An inconclusive verdict is long; it is drawn, too.
    const ComparedSides one =
        CompareSides({L"a.csv", L"b.csv"}, {FileOf({a[0]}), FileOf({Passes(1, 2.6)})});
    const std::wstring single = Path(L"single.svg");
    ASSERT_EQ(WriteComparisonPlot(single, one, error), kExitOk);
    EXPECT_NE(Content(single).find("B: no verdict: one run a side cannot show"), std::string::npos);
    EXPECT_NE(Content(single).find("next: record three runs a side"), std::string::npos);
    EXPECT_GT(RenderedSpread(single), 0.05);
}

// Three sides: every side's runs, each side's ratio to the first on a row of its own, every
// verdict, and the names the title has no room for.
TEST_F(ReportPlot, ThreeSidesShowEachRatioToTheFirst)
{
    const std::vector<::Run> a = {Passes(1, 2.5), Passes(2, 2.6), Passes(3, 2.55)};
    const std::vector<::Run> b = {Passes(1, 5.0), Passes(2, 5.2), Passes(3, 5.1)};
    const std::vector<::Run> c = {Passes(1, 2.52)};
    const ComparedSides three = CompareSides({L"driver-31.csv", L"driver-32.csv", L"driver-33.csv"},
                                             {FileOf(a), FileOf(b), FileOf(c)});
    const std::wstring path = Path(L"three.svg");
    std::string error;
    ASSERT_EQ(WriteComparisonPlot(path, three, error), kExitOk) << error;
    const std::string svg = Content(path);
    EXPECT_NE(svg.find("B, C against A: driver-31.csv"), std::string::npos);
    EXPECT_NE(svg.find("B/A 2.0"), std::string::npos);
    EXPECT_NE(svg.find("C/A 0.98"), std::string::npos);
    EXPECT_NE(svg.find("B: 2.0"), std::string::npos);
    EXPECT_NE(svg.find("C: no verdict"), std::string::npos);
    EXPECT_NE(svg.find("C: driver-33.csv"), std::string::npos);
    EXPECT_NE(svg.find("ratio of medians to A, 95 % interval"), std::string::npos);
    EXPECT_GT(RenderedSpread(path), 0.05);
}

} // namespace

TEST_F(ReportPlot, ASweepIsDrawnAgainstPixelsWithItsShapesAndModels)
{
    const std::string data = std::string(ZOLVIK_TEST_DATA) + "/report/sweep/sweep-jumps.json";
    SweepRecord record;
    std::string error;
    ASSERT_TRUE(ReadSweepRecord(std::wstring(data.begin(), data.end()), record, error)) << error;
    const std::wstring path = Path(L"sweep.svg");
    ASSERT_EQ(WriteSweepPlot(path, record, FitSweep(record.visits), "a sweep", error), kExitOk)
        << error;
    EXPECT_EQ(WriteSweepPlot(path, record, FitSweep(record.visits), "again", error),
              kExitFileExists);
    const std::string svg = Content(path);
    EXPECT_NE(svg.find("pixels drawn by one pass (logarithmic)"), std::string::npos);
    EXPECT_NE(svg.find("vertical lines only"), std::string::npos);
    // The model on screen does not fit these passes: the picture says so and draws none of it.
    EXPECT_NE(svg.find("the model on screen: does not fit"), std::string::npos);
    const std::string fitted = "stroke=\"black\" stroke-width=\"2\"";
    EXPECT_EQ(svg.find(fitted, svg.find(fitted) + 1), std::string::npos) << "only the legend's";
    EXPECT_NE(svg.find("the model in memory<"), std::string::npos);
    EXPECT_GT(RenderedSpread(path), 0.01);
}
