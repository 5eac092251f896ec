// zolvik-report's records: runs with where they ran, written whole, appended, read back and
// compared with their environments and drawing areas.
#include "commands/commands.h"
#include "exit_codes.h"
#include "results/files.h"
#include "results/results.h"
#include "report_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace
{

using ReportRecord = ReportFiles;

Provenance MachineA()
{
    return {R"({"version": "1.3.0.0"})",
            R"({"os": {"name": "Windows 10 Pro", "version": "10.0", "build": 19045},
                "wine": null, "adapter": "AMD Radeon HD 7700", "driver_version": "31.0.1",
                "screen": {"width": 1920, "height": 1080, "bits_per_pixel": 32,
                           "refresh_hz": 60}})"};
}

::Run RunOf(double median, int area = 900)
{
    ::Run run = NumberedRun(0);
    for (std::size_t i = 1; i <= 30; ++i) {
        run.samples.push_back({i, 0.5 * static_cast<double>(i), median * (1 + 0.01 * (i % 4))});
    }
    run.started = "2026-12-09T03:40:00Z";
    run.areaWidth = area;
    run.areaHeight = 600;
    run.dropped = 2;
    return run;
}

TEST_F(ReportRecord, TwoRunsAreWrittenWholeAndReadBackWithTheirProvenance)
{
    const std::wstring path = Path(L"\u0437\u0430\u043f\u0438\u0441\u044c.json");
    std::string error;
    ASSERT_EQ(WriteRecord(path, false, MachineA(), RunOf(2.5), AnalyseRun(RunOf(2.5)), error),
              kExitOk)
        << error;
    EXPECT_EQ(WriteRecord(path, false, MachineA(), RunOf(2.5), AnalyseRun(RunOf(2.5)), error),
              kExitFileExists);
    ::Run second = RunOf(2.7);
    second.areaChanged = true;
    ASSERT_EQ(WriteRecord(path, true, MachineA(), second, AnalyseRun(second), error), kExitOk)
        << error;

    const nlohmann::json record = nlohmann::json::parse(Content(path));
    EXPECT_EQ(record["format"], "zolvik-report record");
    EXPECT_EQ(record["program"]["version"], "1.3.0.0");
    EXPECT_EQ(record["environment"]["adapter"], "AMD Radeon HD 7700");
    EXPECT_TRUE(record["environment"]["wine"].is_null());
    ASSERT_EQ(record["runs"].size(), 2u);
    const nlohmann::json& run = record["runs"][1];
    EXPECT_EQ(run["run"], 2);
    EXPECT_EQ(run["started"], "2026-12-09T03:40:00Z");
    EXPECT_EQ(run["drawing_area"]["width"], 900);
    EXPECT_EQ(run["samples"].size(), 30u);
    EXPECT_EQ(run["samples"][0]["index"], 1);
    EXPECT_EQ(run["dropped"], 2);
    EXPECT_EQ(run["summary"]["count"], 30);
    EXPECT_NEAR(run["summary"]["median_ms"].get<double>(), 2.7 * 1.015, 1e-12);
    EXPECT_NE(std::find(run["warnings"].begin(), run["warnings"].end(),
                        nlohmann::json({{"code", "drawing_area_changed"}})),
              run["warnings"].end())
        << run["warnings"];
    EXPECT_FALSE(FileExists(path + L".partial"));

    ResultsFile file;
    ASSERT_TRUE(ReadResultsFile(path, file, error)) << error;
    EXPECT_TRUE(file.record);
    ASSERT_EQ(file.runs.size(), 2u);
    EXPECT_EQ(file.runs[1].number, 2);
    EXPECT_EQ(file.runs[1].areaWidth, 900);
    EXPECT_TRUE(file.runs[1].areaChanged);
    EXPECT_EQ(Durations(file.runs[0]), Durations(RunOf(2.5)));
}

TEST_F(ReportRecord, AppendingToSomethingElseLeavesItAsItWas)
{
    std::string error;
    const std::string csv = "run,index,seconds,duration_ms\n1,1,0.5,4\n";
    const std::wstring other = Write(L"other.json", csv);
    EXPECT_EQ(WriteRecord(other, true, MachineA(), RunOf(2.5), AnalyseRun(RunOf(2.5)), error),
              kExitBadFile);
    EXPECT_NE(error.find("not well-formed JSON"), std::string::npos) << error;
    EXPECT_EQ(Content(other), csv);

    const struct {
        const char* content;
        const char* message;
    } bad[] = {
        {R"({"format": "something else", "runs": []})", "not a zolvik-report record"},
        {R"({"format": "zolvik-report record"})", "needs an array of runs"},
        {R"({"format": "zolvik-report record", "runs": [{"samples": 3}]})", "runs[0]: a run needs"},
        {R"({"format": "zolvik-report record", "runs": [{"samples": [{"index": 0,
            "seconds": 0, "duration_ms": 1}]}]})",
         "runs[0].samples[0]: a sample needs"},
        {R"({"format": "zolvik-report record", "runs": [{"samples": [{"index": 1,
            "seconds": 0, "duration_ms": -1}]}]})",
         "runs[0].samples[0]: a sample needs"},
        {R"({"format": "zolvik-report record", "runs": [{"drawing_area": {"width": "wide"},
            "samples": []}]})",
         "runs[0].drawing_area: needs whole width and height"},
        {R"({"format": "zolvik-report record", "runs": [{"samples": []}]})", ": no samples"},
    };
    int n = 0;
    for (const auto& c : bad) {
        const std::wstring path = Write(L"bad" + std::to_wstring(n++) + L".json", c.content);
        ResultsFile file;
        EXPECT_FALSE(ReadResultsFile(path, file, error)) << c.content;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST_F(ReportRecord, ComparingRecordsShowsBothEnvironmentsAndWarnsOfDifferentAreas)
{
    const std::wstring a = Path(L"a.json");
    const std::wstring b = Path(L"b.json");
    Provenance other = MachineA();
    other.environment.replace(other.environment.find("HD 7700"), 7, "RX 6600");
    std::string error;
    for (int r = 0; r < 3; ++r) {
        ASSERT_EQ(WriteRecord(a, true, MachineA(), RunOf(2.5 + 0.01 * r),
                              AnalyseRun(RunOf(2.5 + 0.01 * r)), error),
                  kExitOk);
        ASSERT_EQ(WriteRecord(b, true, other, RunOf(3.0 + 0.01 * r, r == 2 ? 992 : 900),
                              AnalyseRun(RunOf(3.0 + 0.01 * r, r == 2 ? 992 : 900)), error),
                  kExitOk);
    }
    const std::wstring outPath = Path(L"out.txt");
    const std::wstring json = Path(L"comparison.json");
    std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w+");
    CompareOutputs outputs;
    outputs.exports.push_back({Format::Json, json});
    ASSERT_EQ(CompareFiles({a, b}, outputs, out, out), kExitOk);
    std::fclose(out);
    const std::string text = Content(outPath);
    EXPECT_NE(text.find("* adapter"), std::string::npos) << text;
    EXPECT_NE(text.find("A: AMD Radeon HD 7700"), std::string::npos) << text;
    EXPECT_NE(text.find("B: AMD Radeon RX 6600"), std::string::npos) << text;
    EXPECT_NE(text.find("  screen.width"), std::string::npos) << text; // the same on both
    EXPECT_NE(text.find("WARNING: the runs drew different drawing areas (900 x 600, 992 x 600)"),
              std::string::npos)
        << text;
    const nlohmann::json comparison = nlohmann::json::parse(Content(json));
    ASSERT_EQ(comparison["warnings"].size(), 2u);
    EXPECT_NE(comparison["warnings"][0].get<std::string>().find("different work"),
              std::string::npos);
    EXPECT_NE(comparison["warnings"][1].get<std::string>().find("has no control measurement"),
              std::string::npos);

    // A CSV side has no environment, and says so.
    const std::wstring csv = Write(L"c.csv", "run,index,seconds,duration_ms\n1,1,0.5,4\n1,2,1,5\n");
    out = std::fopen(Utf8(outPath).c_str(), "w+");
    ASSERT_EQ(CompareFiles({a, csv}, CompareOutputs(), out, out), kExitOk);
    std::fclose(out);
    EXPECT_NE(Content(outPath).find("B: (a CSV file says nothing)"), std::string::npos);
    // A side that says nothing differs in nothing.
    EXPECT_EQ(Content(outPath).find("\n* "), std::string::npos) << Content(outPath);
}

// What the recorder said a side is stays with each run, is said once a side when compared,
// and cannot break the Markdown report it is pasted into.
TEST_F(ReportRecord, NotesAreKeptWithTheirRunsAndSaidOnceASide)
{
    const std::wstring a = Path(L"a.json");
    const std::wstring b = Path(L"b.json");
    std::string error;
    const char* notes[] = {"driver 23.4 <vsync | off>", "driver 23.4 <vsync | off>",
                           "after reboot"};
    for (const char* note : notes) {
        ::Run run = RunOf(2.5);
        run.note = note;
        ASSERT_EQ(WriteRecord(a, true, MachineA(), run, AnalyseRun(run), error), kExitOk) << error;
        ASSERT_EQ(WriteRecord(b, true, MachineA(), RunOf(2.6), AnalyseRun(RunOf(2.6)), error),
                  kExitOk);
    }
    ResultsFile file;
    ASSERT_TRUE(ReadResultsFile(a, file, error)) << error;
    ASSERT_EQ(file.runs.size(), 3u);
    EXPECT_EQ(file.runs[2].note, "after reboot");
    EXPECT_TRUE(nlohmann::json::parse(Content(b))["runs"][0]["note"].is_null());

    const std::wstring outPath = Path(L"out.txt");
    const std::wstring markdown = Path(L"report.md");
    std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w+");
    CompareOutputs outputs;
    outputs.exports.push_back({Format::Markdown, markdown});
    ASSERT_EQ(CompareFiles({a, b}, outputs, out, out), kExitOk);
    std::fclose(out);
    const std::string text = Content(outPath);
    EXPECT_NE(text.find(", 3 runs: driver 23.4 <vsync | off>; after reboot\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find(", 3 runs\n"), std::string::npos) << text; // B, which has none
    const std::string md = Content(markdown);
    EXPECT_NE(md.find("- A: driver 23.4 &lt;vsync \\| off&gt;; after reboot\n"), std::string::npos)
        << md;
    EXPECT_EQ(md.find("- B: "), std::string::npos) << md;
    // Reproducing it records the side with its note again, as a command prompt takes it.
    EXPECT_NE(md.find("--json " + Utf8(a) + " --note \"driver 23.4 <vsync | off>\"\n"),
              std::string::npos)
        << md;
    EXPECT_NE(RenderedMarkdown(markdown).find("<li>A: driver 23.4 &lt;vsync | off&gt;; after "
                                              "reboot</li>"),
              std::string::npos)
        << RenderedMarkdown(markdown);
}

} // namespace

// A recorded run says how it was sampled: looks, probes, drops by reason and what happened;
// a run that came from a file says nothing of it.
TEST_F(ReportRecord, ARecordedRunKeepsHowItWasSampled)
{
    const std::wstring path = Path(L"sampled.json");
    std::string error;
    ::Run run = RunOf(700);
    run.sampling.known = true;
    run.sampling.looks = 45;
    run.sampling.looksInPasses = 3;
    run.sampling.probes = 31;
    run.sampling.resets = 4;
    run.sampling.drops = {{DropReason::Minimized, 1}, {DropReason::Covered, 1}};
    run.sampling.errorBoundMs = 0.0000075;
    run.sampling.backToBack = true;
    ASSERT_EQ(WriteRecord(path, false, MachineA(), run, AnalyseRun(run), error), kExitOk) << error;
    ASSERT_EQ(WriteRecord(path, true, MachineA(), RunOf(700), AnalyseRun(RunOf(700)), error),
              kExitOk)
        << error;
    const nlohmann::json record = nlohmann::json::parse(Content(path));
    const nlohmann::json& sampling = record["runs"][0]["sampling"];
    EXPECT_EQ(sampling["looks"], 45);
    EXPECT_DOUBLE_EQ(sampling["looks_per_sample"].get<double>(), 1.5);
    EXPECT_DOUBLE_EQ(sampling["looks_inside_passes_per_sample"].get<double>(), 0.1);
    // Codes, not sentences: rewording a message changes no file.
    EXPECT_EQ(sampling["dropped_by_reason"], nlohmann::json({{"minimized", 1}, {"covered", 1}}));
    EXPECT_EQ(record["format_version"], 2);
    EXPECT_EQ(sampling["error_bound_ms"], 0.0000075);
    const nlohmann::json& warnings = record["runs"][0]["warnings"];
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        nlohmann::json({{"code", "passes_back_to_back"}})),
              warnings.end())
        << warnings;
    EXPECT_TRUE(record["runs"][1]["sampling"].is_null());
}

// A record of the first format (warnings and drops as sentences, no version) still reads, and
// a run appended to it turns the whole file into the current format: codes, each old warning
// keeping the sentence it was, a sentence that maps to no code kept as text.
TEST_F(ReportRecord, ARecordOfTheFirstFormatReadsAndIsUpgradedWhenAppendedTo)
{
    const std::string data = std::string(ZOLVIK_TEST_DATA) + "/report/control/machine-b.json";
    const std::string old = Content(std::wstring(data.begin(), data.end()));
    nlohmann::json document = nlohmann::json::parse(old);
    ASSERT_FALSE(document.contains("format_version"));
    document["runs"][0]["warnings"].push_back("a warning of a kind no longer made");
    const std::wstring path = Write(L"first-format.json", document.dump(1));
    ResultsFile file;
    std::string error;
    ASSERT_TRUE(ReadResultsFile(path, file, error)) << error;
    ASSERT_EQ(file.runs.size(), 3u);

    ::Run run = RunOf(6.4);
    ASSERT_EQ(WriteRecord(path, true, file.provenance, run, AnalyseRun(run), error), kExitOk)
        << error;
    const nlohmann::json upgraded = nlohmann::json::parse(Content(path));
    EXPECT_EQ(upgraded["format_version"], 2);
    ASSERT_EQ(upgraded["runs"].size(), 4u);
    const nlohmann::json& warnings = upgraded["runs"][0]["warnings"];
    ASSERT_EQ(warnings.size(), document["runs"][0]["warnings"].size());
    EXPECT_EQ(warnings[0]["code"], "too_few_samples");
    EXPECT_EQ(warnings[0]["text"], document["runs"][0]["warnings"][0]);
    EXPECT_EQ(warnings[1]["code"], "unstable");
    EXPECT_EQ(warnings.back(),
              nlohmann::json({{"code", "text"}, {"text", "a warning of a kind no longer made"}}));
    EXPECT_TRUE(upgraded["runs"][0]["sampling"]["dropped_by_reason"].contains("two_passes"))
        << upgraded["runs"][0]["sampling"];
    ASSERT_TRUE(ReadResultsFile(path, file, error)) << error;
    EXPECT_EQ(file.runs.size(), 4u);
}
