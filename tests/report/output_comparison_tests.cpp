// Comparisons of several sides: one table in text, JSON, a picture and a Markdown report that a
// common Markdown implementation renders with its tables as tables; the power a side ran on.
#include "commands/commands.h"
#include "exit_codes.h"
#include "output/text.h"
#include "output/markdown.h"
#include "results/files.h"
#include "results/results.h"
#include "report_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace
{

using ReportComparison = ReportFiles;

Provenance Machine(const std::string& driver, const std::string& power)
{
    return {R"({"version": "1.3.0.0"})",
            R"({"adapter": "AMD Radeon | HD 7700", "driver_version": ")" + driver +
                R"(", "screen": {"width": 1920, "height": 1080}, "power_source": ")" + power +
                R"(", "power_scheme": "Balanced"})"};
}

::Run RunOf(double median, std::size_t samples = 48)
{
    ::Run run = NumberedRun(0);
    for (std::size_t i = 1; i <= samples; ++i) {
        run.samples.push_back({i, 0.5 * static_cast<double>(i), median * (1 + 0.01 * (i % 5))});
    }
    run.areaWidth = 900;
    run.areaHeight = 600;
    return run;
}

// Three driver versions: A three runs, B three runs twice as slow, C a single run as fast.
class ThreeSides : public ReportComparison
{
  protected:
    void SetUp() override
    {
        std::string error;
        const double medians[3][3] = {{2.50, 2.55, 2.48}, {5.0, 5.1, 4.95}, {2.52, 0, 0}};
        const char* drivers[] = {"31.0.1", "31.0.2", "31.0.3"};
        for (int s = 0; s < 3; ++s) {
            paths.push_back(Path(L"driver-" + std::to_wstring(s + 1) + L".json"));
            for (int r = 0; r < 3 && medians[s][r] > 0; ++r) {
                ASSERT_EQ(WriteRecord(
                              paths.back(), true, Machine(drivers[s], s == 1 ? "battery" : "mains"),
                              RunOf(medians[s][r]), AnalyseRun(RunOf(medians[s][r])), error),
                          kExitOk)
                    << error;
            }
        }
    }
    std::string Compare(const CompareOutputs& outputs, int expected = kExitOk)
    {
        const std::wstring outPath = Path(L"out.txt");
        std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w+");
        EXPECT_EQ(CompareFiles(paths, outputs, out, out), expected);
        std::fclose(out);
        return Content(outPath);
    }
    std::vector<std::wstring> paths;
};

TEST_F(ThreeSides, TextAndJsonGiveOneTableWithEachSideAgainstTheFirst)
{
    CompareOutputs outputs;
    outputs.exports.push_back({Format::Json, Path(L"three.json")});
    const std::string text = Compare(outputs);
    EXPECT_NE(text.find("side  runs  samples  median ms (95 % interval)"), std::string::npos)
        << text;
    EXPECT_NE(text.find("A        3      144  "), std::string::npos) << text;
    EXPECT_NE(text.find("B        3      144  "), std::string::npos) << text;
    EXPECT_NE(text.find("C        1       48  "), std::string::npos) << text;
    EXPECT_NE(text.find("\nB: 2.0"), std::string::npos) << text;
    EXPECT_NE(text.find("x slower than A\n  raw times  "), std::string::npos) << text;
    EXPECT_NE(text.find("\nC: no verdict: a single run of C cannot show"), std::string::npos)
        << text;
    EXPECT_NE(text.find("* driver_version         A: 31.0.1"), std::string::npos) << text;
    EXPECT_NE(text.find("                         C: 31.0.3"), std::string::npos) << text;
    EXPECT_NE(text.find("  power_scheme           all: Balanced"), std::string::npos) << text;
    EXPECT_NE(text.find("WARNING: the sides ran on different power sources (A mains, B battery, "
                        "C mains)"),
              std::string::npos)
        << text;

    const nlohmann::json json = nlohmann::json::parse(Content(Path(L"three.json")));
    ASSERT_EQ(json["sides"].size(), 3u);
    EXPECT_FALSE(json.contains("verdict")); // the flat form is for two sides
    EXPECT_EQ(json["base"], "A");
    EXPECT_EQ(json["sides"][0]["name"],
              "AMD Radeon | HD 7700, driver 31.0.1 (" + Utf8(paths[0]) + ")");
    EXPECT_FALSE(json["sides"][0].contains("verdict"));
    EXPECT_EQ(json["sides"][1]["verdict"], "slower");
    EXPECT_EQ(json["sides"][1]["reason"], "raw_times");
    EXPECT_EQ(json["sides"][2]["reason"], "single_run");
    EXPECT_NEAR(json["sides"][1]["ratio"].get<double>(), 2.0, 0.02);
    // Without a control the raw ratio is the headline's, and nothing is "at least".
    EXPECT_EQ(json["sides"][1]["headline_ratio"], json["sides"][1]["ratio"]);
    EXPECT_EQ(json["sides"][1]["at_least"], false);
    EXPECT_EQ(json["sides"][2]["runs"], 1);
    EXPECT_EQ(json["sides"][2]["assumed_run_spread"], 0.25);
    EXPECT_LT(json["sides"][1]["median_low_ms"].get<double>(), 5.05);
    EXPECT_GT(json["sides"][1]["median_high_ms"].get<double>(), 5.05);
    // The power sources, and that these sides keep no control to tell the machine by.
    ASSERT_EQ(json["warnings"].size(), 2u);
    EXPECT_NE(json["warnings"][1].get<std::string>().find("has no control measurement"),
              std::string::npos);
    EXPECT_EQ(json["sides"][1]["on_screen_per_in_memory"], nullptr);

    // Each side says the least difference its runs would call each way: without a control and
    // with an interval wider than the "same" band, half its width as a factor either way.
    const double low = json["sides"][1]["low"];
    const double high = json["sides"][1]["high"];
    const double half = std::sqrt(high / low);
    EXPECT_NEAR(json["sides"][1]["slower_from"].get<double>(), half, 1e-9);
    EXPECT_NEAR(json["sides"][1]["faster_from"].get<double>(), 1 / half, 1e-9);
    EXPECT_EQ(json["sides"][1]["resolution_limit"]["slower"], "raw_times");
    char said[160];
    std::snprintf(said, sizeof said,
                  "these runs would call    B slower from %.2fx (+%.0f %%), faster from %.2fx "
                  "(-%.0f %%)\n",
                  std::ceil(half * 100) / 100, std::ceil((half - 1) * 100),
                  std::floor(100 / half) / 100, std::ceil((1 - 1 / half) * 100));
    EXPECT_NE(text.find(said), std::string::npos) << said << "\n" << text;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(ThreeSides, TheMarkdownReportRendersItsTablesAsTables)
{
    CompareOutputs outputs;
    outputs.exports.push_back({Format::Markdown, Path(L"report.md")});
    outputs.exports.push_back({Format::Svg, Path(L"report picture.svg")});
    outputs.command = "zolvik-report --compare driver-1.json driver-2.json driver-3.json "
                      "--markdown report.md --plot \"report picture.svg\"";
    Compare(outputs);
    const std::string md = Content(Path(L"report.md"));
    EXPECT_NE(md.find("What was measured: the time Zolvik 1.3.0.0 takes to draw one pass of its "
                      "grid of 1,125 one-pixel lines through GDI, on a drawing area of 900 x 600 "
                      "pixels"),
              std::string::npos)
        << md;
    EXPECT_NE(md.find("(zolvik_"), std::string::npos) << "the picture is linked by its name";
    EXPECT_NE(md.find("report%20picture.svg)"), std::string::npos) << md;
    EXPECT_NE(md.find(outputs.command), std::string::npos) << md;
    EXPECT_NE(md.find("zolvik-report --samples 48 --runs 3 --pause 60 --json "), std::string::npos)
        << md;

    const std::string html = RenderedMarkdown(Path(L"report.md"));
    ASSERT_EQ(Count(html, "<table>"), 2u) << html; // the verdicts and the environments
    EXPECT_NE(html.find("<th>Ratio to A (95 % interval)</th>"), std::string::npos) << html;
    EXPECT_EQ(Count(html, "<td><strong>slower</strong></td>"), 1u) << html;
    EXPECT_EQ(Count(html, "<td><strong>inconclusive</strong></td>"), 1u) << html;
    // The verdicts: a header and three sides; the environments: a header and seven fields
    // (program.version, adapter, driver_version, screen.width, screen.height, power_source,
    // power_scheme). A "|" in a name must not have split a cell.
    EXPECT_EQ(Count(html, "<tr>"), 4u + 8u) << html;
    EXPECT_EQ(Count(html, "<td"), 3u * 9u + 7u * 4u) << html;
    EXPECT_NE(html.find("<strong>driver_version</strong> (differs)"), std::string::npos) << html;
    EXPECT_NE(html.find("<td>screen.width</td>"), std::string::npos) << html; // the same on all
    EXPECT_NE(html.find("<li><strong>B: 2.0"), std::string::npos) << html;
    EXPECT_NE(html.find("<li>next: attach the Markdown report"), std::string::npos) << html;
    EXPECT_EQ(Count(html, "<li>these runs would call: "), 2u) << html;
    EXPECT_EQ(Count(html, "<li>limited by: the raw times' interval (no control)"), 2u) << html;
    EXPECT_NE(html.find("<td>AMD Radeon | HD 7700</td>"), std::string::npos) << html;
    EXPECT_NE(html.find("<img alt=\"Each side's passes run by run"), std::string::npos) << html;
    EXPECT_NE(html.find("<li>the sides ran on different power sources"), std::string::npos);
    EXPECT_NE(html.find("<h2>How to reproduce</h2>"), std::string::npos);
    EXPECT_EQ(html.find("<p>|"), std::string::npos) << "a table came through as text:\n" << html;

    // Like every output, the report never replaces a file.
    EXPECT_NE(Compare(outputs, kExitFileExists).find("exists"), std::string::npos);

    // "-" puts the report alone on standard output.
    CompareOutputs toScreen;
    toScreen.exports.push_back({Format::Markdown, L"-"});
    const std::string screen = Compare(toScreen);
    EXPECT_EQ(screen.rfind("# Zolvik line drawing time: B, C against A\n", 0), 0u) << screen;
    EXPECT_EQ(screen.find("side  runs"), std::string::npos) << screen;
}

TEST(ReportPower, DifferentKnownPowerSourcesOrSchemesAreWarnedOfUnknownOnesAreNot)
{
    // A on mains, B not saying (null), C a CSV file that says nothing: no difference of
    // source is known; the schemes differ.
    std::vector<ComparedSide> sides(3);
    sides[0].file.record = sides[1].file.record = true;
    sides[0].file.provenance.environment =
        R"({"power_source": "mains", "power_scheme": "Balanced", "adapter": "x"})";
    sides[1].file.provenance.environment =
        R"({"power_source": null, "power_scheme": "Power saver", "adapter": "x"})";
    const std::vector<EnvironmentRow> rows = EnvironmentRows(sides);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0].differs); // adapter, sorted first
    const std::vector<ComparisonWarning> warnings = PowerWarnings(rows);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].kind, ComparisonWarning::PowerSchemes);
    EXPECT_EQ(warnings[0].values, (std::vector<std::string>{"A Balanced", "B Power saver"}));
    EXPECT_EQ(ComparisonWarningWords(warnings[0])
                  .rfind("the sides ran on different power schemes (A Balanced, B Power saver)", 0),
              0u)
        << ComparisonWarningWords(warnings[0]);
}

// "How to reproduce" says how the records were made: the sides in turn, a run at a time, where
// their runs' start times interleave; else each side's runs together.
TEST(ReportReproduce, TheSidesInTurnWhereTheirRunsWereRecordedSo)
{
    const auto sidesStarting = [](const std::vector<std::vector<const char*>>& starts) {
        std::vector<ResultsFile> files(starts.size());
        std::vector<std::wstring> paths;
        for (std::size_t s = 0; s < starts.size(); ++s) {
            files[s].record = true;
            for (const char* start : starts[s]) {
                files[s].runs.push_back(RunOf(2.5 + static_cast<double>(s)));
                files[s].runs.back().started = start;
            }
            paths.push_back(L"driver-" + std::to_wstring(s + 1) + L".json");
        }
        return ComparisonMarkdown(CompareSides(paths, std::move(files)), L"", L"r.md", "cmd");
    };
    const std::string alternated =
        sidesStarting({{"2026-12-10T05:00:00Z", "2026-12-10T05:02:00Z"},
                       {"2026-12-10T05:01:00Z", "2026-12-10T05:03:00Z"}});
    EXPECT_NE(alternated.find("the sides in turn (A, B, A, B, ...: switch the driver between "
                              "them), until each side has 3 runs:"),
              std::string::npos)
        << alternated;
    EXPECT_NE(alternated.find("zolvik-report --samples 48 --json driver-2.json --append\n"),
              std::string::npos);
    const std::string apart = sidesStarting({{"2026-12-10T05:00:00Z", "2026-12-10T05:01:00Z"},
                                             {"2026-12-10T06:00:00Z", "2026-12-10T06:01:00Z"}});
    EXPECT_NE(apart.find("zolvik-report --samples 48 --runs 3 --pause 60 --json driver-1.json\n"),
              std::string::npos)
        << apart;
    EXPECT_EQ(apart.find("in turn"), std::string::npos);

    // Three sides in turn name all three; a side recorded to a precision is recorded so again.
    std::vector<ResultsFile> files(3);
    std::vector<std::wstring> paths;
    for (std::size_t s = 0; s < 3; ++s) {
        files[s].record = true;
        for (int r = 0; r < 3; ++r) {
            files[s].runs.push_back(RunOf(2.5));
            files[s].runs.back().started = "2026-12-10T05:0" + std::to_string(3 * r + s) + ":00Z";
            files[s].runs.back().precision = s == 2 ? 2.5 : 0;
            files[s].runs.back().pilot = s == 2;
        }
        paths.push_back(L"driver-" + std::to_wstring(s + 1) + L".json");
    }
    const std::string three =
        ComparisonMarkdown(CompareSides(paths, std::move(files)), L"", L"r.md", "cmd");
    EXPECT_NE(three.find("the sides in turn (A, B, C, A, B, C, ...: switch"), std::string::npos)
        << three;
    EXPECT_NE(three.find("zolvik-report --samples 48 --precision 2.5 --json driver-3.json\n"),
              std::string::npos)
        << three;
}

} // namespace
