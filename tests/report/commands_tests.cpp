// The modes' portable parts: the outputs checked before sampling, what a run and a sweep leave
// once sampled (an interrupted run included), and comparing sweeps as text, JSON or Markdown.
#include "commands/commands.h"
#include "exit_codes.h"
#include "report_files.h"
#include "results/files.h"
#include "results/results.h"
#include "results/sweep_record.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace
{

const std::string kSweeps = std::string(ZOLVIK_TEST_DATA) + "/report/sweep/";

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

::Run RunOf(double median, std::size_t samples)
{
    ::Run run = NumberedRun(1);
    for (std::size_t i = 1; i <= samples; ++i) {
        run.samples.push_back({i, 0.5 * static_cast<double>(i), median * (1 + 0.01 * (i % 5))});
    }
    run.started = "2026-12-10T18:00:00Z";
    run.areaWidth = 900;
    run.areaHeight = 600;
    return run;
}

} // namespace

class ReportCommands : public ReportFiles
{
  protected:
    // Runs `body` with standard output and errors going to temporary files; returns both.
    template <typename Body> std::pair<std::string, std::string> Captured(Body body)
    {
        const std::wstring outPath = Path(L"out.txt");
        const std::wstring errorPath = Path(L"errors.txt");
        std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w");
        std::FILE* errors = std::fopen(Utf8(errorPath).c_str(), "w");
        body(out, errors);
        std::fclose(out);
        std::fclose(errors);
        const std::pair<std::string, std::string> both = {Content(outPath), Content(errorPath)};
        RemoveFile(outPath);
        RemoveFile(errorPath);
        return both;
    }
};

TEST_F(ReportCommands, OutputsAreCheckedBeforeAnySampling)
{
    const std::wstring csv = Write(L"runs.csv", "run,index,seconds,duration_ms\n1,1,0.5,2.0\n");
    const std::wstring taken = Write(L"taken.txt", "something else\n");
    std::FILE* trace = nullptr;
    std::string error;

    Options record;
    record.json = taken;
    EXPECT_EQ(OpenOutputs(record, trace, error), kExitFileExists) << error;
    EXPECT_NE(error.find("give --append"), std::string::npos) << error;
    // Appending goes only to a record of ours; anything else is named and left as it was.
    record.append = true;
    record.json = csv;
    EXPECT_EQ(OpenOutputs(record, trace, error), kExitBadFile) << error;
    EXPECT_EQ(Content(csv), "run,index,seconds,duration_ms\n1,1,0.5,2.0\n");
    // A sweep's record is always new, --append or not.
    Options sweep;
    sweep.mode = Mode::Sweep;
    sweep.json = taken;
    EXPECT_EQ(OpenOutputs(sweep, trace, error), kExitFileExists);
    for (std::wstring Options::*path : {&Options::plot, &Options::trace}) {
        Options options;
        options.*path = taken;
        EXPECT_EQ(OpenOutputs(options, trace, error), kExitFileExists) << Utf8(options.*path);
        EXPECT_EQ(trace, nullptr);
    }
    EXPECT_EQ(Content(taken), "something else\n");

    // All clear: the trace is opened, with its header, before the first look.
    Options fine;
    fine.json = Path(L"new.json");
    fine.trace = Path(L"trace.csv");
    ASSERT_EQ(OpenOutputs(fine, trace, error), kExitOk) << error;
    ASSERT_NE(trace, nullptr);
    std::fclose(trace);
    EXPECT_EQ(Content(fine.trace), "ms,event,seen,action\n");
    EXPECT_FALSE(FileExists(fine.json));
}

// Every file a command writes is in one list, checked before anything is read: a comparison
// whose report exists is refused before its sides are opened, and "-" is never a file.
TEST_F(ReportCommands, AComparisonChecksEveryFileItWritesBeforeReadingAny)
{
    const std::wstring taken = Write(L"report.md", "an earlier report\n");
    Options options;
    options.mode = Mode::Compare;
    options.compare = {Path(L"absent-a.json"), Path(L"absent-b.json")};
    options.json = L"-";
    options.plot = Path(L"picture.svg");
    options.markdown = taken;
    const std::vector<Export> exports = ExportsOf(options);
    ASSERT_EQ(exports.size(), 3u);
    // The picture is written before the report that links it.
    EXPECT_EQ(exports[1].format, Format::Svg);
    EXPECT_EQ(exports[2].format, Format::Markdown);
    const auto [text, errors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareAsAsked(options, "zolvik-report --compare ...", out, err),
                  kExitFileExists);
    });
    EXPECT_NE(errors.find("report.md exists"), std::string::npos) << errors;
    EXPECT_EQ(text, "");
    EXPECT_EQ(Content(taken), "an earlier report\n");
    options.markdown = L"-";
    const auto [none, unread] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareAsAsked(options, "zolvik-report --compare ...", out, err), kExitBadFile);
    });
    EXPECT_NE(unread.find("absent-a.json"), std::string::npos) << unread;

    // A recording's CSV is refused up front too where it exists and --append is not given.
    Options record;
    record.csv = Write(L"runs.csv", "run,index,seconds,duration_ms\n1,1,0.5,2.0\n");
    std::string error;
    EXPECT_EQ(CheckExports(record, ExportsOf(record), error), kExitFileExists);
    EXPECT_NE(error.find("give --append"), std::string::npos) << error;
    record.append = true;
    EXPECT_EQ(CheckExports(record, ExportsOf(record), error), kExitOk) << error;
}

// A run stopped by Ctrl+C is written as far as it came, marked, and a comparison says so.
TEST_F(ReportCommands, AnInterruptedRunIsWrittenAndComparedAsSuch)
{
    Options options;
    options.json = Path(L"stopped.json");
    ::Run run = RunOf(2.0, 30);
    run.interrupted = true;
    const auto [text, errors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(FinishRun(options, {}, run, false, out, err), kExitOk);
    });
    EXPECT_NE(text.find("single-pass durations: 30 samples"), std::string::npos) << text;
    EXPECT_EQ(errors, "");
    ResultsFile file;
    std::string error;
    ASSERT_TRUE(ReadRecord(options.json, file, error)) << error;
    ASSERT_EQ(file.runs.size(), 1u);
    EXPECT_TRUE(file.runs[0].interrupted);
    EXPECT_EQ(file.runs[0].samples.size(), 30u);
    const nlohmann::json written = nlohmann::json::parse(Content(options.json));
    EXPECT_TRUE(written["runs"][0]["interrupted"].get<bool>());

    // A run that ran to its end says so too; an older record without the field is read so.
    Options whole;
    whole.json = Path(L"whole.json");
    Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(FinishRun(whole, {}, RunOf(2.0, 30), false, out, err), kExitOk);
    });
    EXPECT_FALSE(nlohmann::json::parse(Content(whole.json))["runs"][0]["interrupted"]);

    const auto [compared, compareErrors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareFiles({options.json, whole.json}, {}, out, err), kExitOk);
    });
    EXPECT_NE(compared.find("  run 1: 30 samples, median 2.0"), std::string::npos) << compared;
    EXPECT_NE(compared.find("drawing area 900 x 600, interrupted"), std::string::npos) << compared;
    EXPECT_NE(compared.find("WARNING: A run 1: interrupted before its end; its 30 samples count "
                            "as a shorter run"),
              std::string::npos)
        << compared;
}

TEST_F(ReportCommands, ASweepIsFittedOnceIntoItsTableRecordAndPicture)
{
    SweepRecord record;
    std::string error;
    ASSERT_TRUE(ReadSweepRecord(Wide(kSweeps + "sweep-a.json"), record, error)) << error;
    Options options;
    options.mode = Mode::Sweep;
    options.json = Path(L"sweep.json");
    options.plot = Path(L"sweep.svg");
    const auto [text, errors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(FinishSweep(options, record, out, err), kExitOk);
    });
    EXPECT_NE(text.find("per line call (us)"), std::string::npos) << text;
    const nlohmann::json written = nlohmann::json::parse(Content(options.json));
    EXPECT_EQ(written["fit"]["on_screen"]["state"], "fits");
    EXPECT_NE(Content(options.plot).find("<svg"), std::string::npos);
    // Neither file is replaced by a second sweep of the same names.
    const std::string before = Content(options.json);
    const auto again = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(FinishSweep(options, record, out, err), kExitFileExists);
    });
    EXPECT_NE(again.second.find("exists"), std::string::npos) << again.second;
    EXPECT_EQ(Content(options.json), before);
}

// Two sweeps: text by default, only the Markdown or only the JSON on standard output, and no
// picture of the two (each sweep draws its own).
TEST_F(ReportCommands, TwoSweepsCompareAsTextMarkdownOrJson)
{
    const std::vector<std::wstring> paths = {Wide(kSweeps + "sweep-a.json"),
                                             Wide(kSweeps + "sweep-b-per-call.json")};
    const auto [text, textErrors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareFiles(paths, {}, out, err), kExitOk);
    });
    EXPECT_NE(text.find("on screen:\n  fixed: B "), std::string::npos) << text;
    EXPECT_NE(text.find("\n  per line call: B 12.0 us"), std::string::npos) << text;

    CompareOutputs markdown;
    markdown.exports.push_back({Format::Markdown, L"-"});
    const auto [md, mdErrors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareFiles(paths, markdown, out, err), kExitOk);
    });
    EXPECT_EQ(md.rfind("# Where the line drawing time goes: B against A\n", 0), 0u) << md;
    EXPECT_EQ(md.find("on screen:\n"), std::string::npos) << md;

    CompareOutputs json;
    json.exports.push_back({Format::Json, L"-"});
    const auto [jsonText, jsonErrors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareFiles(paths, json, out, err), kExitOk);
    });
    const nlohmann::json parsed = nlohmann::json::parse(jsonText);
    EXPECT_EQ(parsed["on_screen"][1]["cost"], "per_line_call");
    EXPECT_EQ(parsed["on_screen"][1]["direction"], "higher");
    EXPECT_EQ(parsed["on_screen"][2]["direction"], "cannot_tell");
    EXPECT_EQ(parsed["fits"]["b_on_screen"], "fits");

    CompareOutputs plot;
    plot.exports.push_back({Format::Svg, Path(L"sweeps.svg")});
    const auto [none, plotErrors] = Captured([&](std::FILE* out, std::FILE* err) {
        EXPECT_EQ(CompareFiles(paths, plot, out, err), kExitUsage);
    });
    EXPECT_NE(plotErrors.find("each sweep draws its own picture"), std::string::npos);
    EXPECT_FALSE(FileExists(plot.exports[0].path));
}

namespace
{

std::string RunsCsv(int runs, double median)
{
    std::string text = "run,index,seconds,duration_ms\n";
    for (int r = 1; r <= runs; ++r) {
        for (int i = 1; i <= 32; ++i) {
            const double d = median * (1 + 0.01 * r + 0.002 * (i % 5));
            text +=
                std::to_string(r) + "," + std::to_string(i) + ",0.5," + std::to_string(d) + "\n";
        }
    }
    return text;
}

TEST_F(ReportCommands, CompareWritesTheVerdictAsTextAndJsonTheSameEachTime)
{
    const std::wstring a = Write(L"a.csv", RunsCsv(3, 2.0));
    const std::wstring b = Write(L"b.csv", RunsCsv(3, 5.0));
    const std::wstring json = Path(L"comparison.json");
    const std::wstring outPath = Path(L"out.txt");
    std::string outputs[2];
    for (std::string& output : outputs) {
        std::remove(Utf8(json).c_str());
        std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w+");
        CompareOutputs written;
        written.exports.push_back({Format::Json, json});
        EXPECT_EQ(CompareFiles({a, b}, written, out, out), kExitOk);
        std::fclose(out);
        output = Content(outPath) + Content(json);
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_NE(outputs[0].find("B: 2.50x slower than A\n  raw times "), std::string::npos)
        << outputs[0];
    EXPECT_NE(outputs[0].find("  run 3: 32 samples, median"), std::string::npos);
    const nlohmann::json object = nlohmann::json::parse(Content(json));
    EXPECT_EQ(object["verdict"], "slower");
    // Scripts read the reason and the machine's state, never the sentence.
    EXPECT_EQ(object["reason"], "raw_times");
    EXPECT_EQ(object["sides"][1]["machine"], "unknown");
    EXPECT_EQ(object["sentence"], "B: 2.50x slower than A");
    EXPECT_NEAR(object["ratio"].get<double>(), 2.5, 1e-9);
    EXPECT_LT(object["low"].get<double>(), 2.5);
    EXPECT_GT(object["high"].get<double>(), 2.5);
    EXPECT_EQ(object["a"]["runs"], 3);
    EXPECT_EQ(object["b"]["samples"], 96);

    // The JSON file is not replaced either, and a bad side is named.
    std::FILE* out = std::fopen(Utf8(outPath).c_str(), "w+");
    CompareOutputs again;
    again.exports.push_back({Format::Json, json});
    EXPECT_EQ(CompareFiles({a, b}, again, out, out), kExitFileExists);
    EXPECT_EQ(CompareFiles({a, Path(L"absent.csv")}, CompareOutputs(), out, out), kExitBadFile);
    std::fclose(out);
    EXPECT_NE(Content(outPath).find("absent.csv: cannot open"), std::string::npos);
}

} // namespace
