// zolvik-report's results files, command line, pass judging and comparison output.
#include "commands/commands.h"
#include "bench/bench.h"
#include "cli/options.h"
#include "exit_codes.h"
#include "output/output.h"
#include "results/files.h"
#include "results/results.h"
#include "sampling/sampling.h"
#include "stats/stats.h"
#include "stats/verdict.h"
#include "report_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{

TEST(ReportStatistics, SummaryOfKnownData)
{
    const Summary s = Summarize({7, 3, 9, 1, 5, 2, 8, 4, 10, 6});
    EXPECT_EQ(s.count, 10u);
    EXPECT_DOUBLE_EQ(s.minimum, 1);
    EXPECT_DOUBLE_EQ(s.maximum, 10);
    EXPECT_DOUBLE_EQ(s.mean, 5.5);
    EXPECT_DOUBLE_EQ(s.median, 5.5);
    EXPECT_DOUBLE_EQ(s.p95, 9.55);
    EXPECT_NEAR(s.stddev, 3.0276503540974917, 1e-12);

    const Summary odd = Summarize({4, 1, 2});
    EXPECT_DOUBLE_EQ(odd.median, 2);
    const Summary one = Summarize({2.5});
    EXPECT_DOUBLE_EQ(one.median, 2.5);
    EXPECT_DOUBLE_EQ(one.p95, 2.5);
    EXPECT_DOUBLE_EQ(one.stddev, 0);
    EXPECT_EQ(Summarize({}).count, 0u);
}

// The sampler resets after every pass, so what it reads is the program's mean of one pass.
TEST(ReportStatistics, AReadoutAfterOnePassIsThatPassToSixDecimals)
{
    TimingHistory history;
    for (double pass : {3.1234567, 5.0, 0.0001, 123.4567894}) {
        history.Clear();
        history.Push(pass);
        wchar_t shown[100];
        std::swprintf(shown, 100, L"%.6f", history.Average());
        EXPECT_NEAR(std::wcstod(shown, nullptr), pass, 0.5e-6) << pass;
    }
}

std::vector<std::wstring> Words(std::initializer_list<const wchar_t*> words)
{
    return std::vector<std::wstring>(words.begin(), words.end());
}

// How long a run waits for a readout it cannot see, a trace, and the one-shot check.
TEST(ReportOptions, PatienceTraceAndCheck)
{
    Options options;
    std::string error;
    EXPECT_EQ(options.patience, 300);
    ASSERT_TRUE(ParseOptions(Words({L"--patience", L"45", L"--trace", L"t.csv"}), options, error));
    EXPECT_EQ(options.patience, 45);
    EXPECT_EQ(options.trace, L"t.csv");
    for (const auto& bad : {Words({L"--patience", L"0"}), Words({L"--patience", L"-5"}),
                            Words({L"--patience"}), Words({L"--check", L"--samples", L"3"}),
                            Words({L"--compare", L"a", L"b", L"--trace", L"t.csv"})}) {
        options = Options();
        error.clear();
        EXPECT_FALSE(ParseOptions(bad, options, error));
        EXPECT_FALSE(error.empty());
    }
    options = Options();
    error.clear();
    ASSERT_TRUE(ParseOptions(Words({L"--check"}), options, error));
    EXPECT_EQ(options.mode, Mode::Check);
}

// A sweep: passes a visit and rounds, with their own defaults; nothing of the other uses.
TEST(ReportOptions, SweepTakesVisitsAndRoundsOnly)
{
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions(Words({L"--sweep", L"--json", L"s.json"}), options, error)) << error;
    EXPECT_EQ(options.mode, Mode::Sweep);
    EXPECT_EQ(options.samples, 8);
    EXPECT_EQ(options.runs, 3);
    options = Options();
    ASSERT_TRUE(
        ParseOptions(Words({L"--sweep", L"--samples", L"4", L"--runs", L"2"}), options, error));
    EXPECT_EQ(options.samples, 4);
    EXPECT_EQ(options.runs, 2);
    for (const auto& bad :
         {Words({L"--sweep", L"--runs", L"1"}), Words({L"--sweep", L"--csv", L"a.csv"}),
          Words({L"--sweep", L"--seconds", L"5"}), Words({L"--sweep", L"--compare", L"a", L"b"}),
          Words({L"--sweep", L"--check"}), Words({L"--sweep", L"--append", L"--json", L"a"})}) {
        options = Options();
        error.clear();
        EXPECT_FALSE(ParseOptions(bad, options, error));
        EXPECT_NE(error.find("--sweep"), std::string::npos) << error;
    }
}

TEST(ReportOptions, NumbersAreCheckedAndUsesNotMixed)
{
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions({}, options, error));
    EXPECT_EQ(options.samples, 24);
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--samples", L"200", L"--csv", L"a.csv", L"--append"}),
                             options, error));
    EXPECT_EQ(options.samples, 200);
    EXPECT_TRUE(options.append);
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--seconds", L"90.5"}), options, error));
    EXPECT_EQ(options.seconds, 90.5);
    EXPECT_EQ(options.samples, 0);

    const struct {
        std::vector<std::wstring> words;
        const char* message;
    } bad[] = {
        {Words({L"--samples", L"0"}), "whole number from 1"},
        {Words({L"--samples", L"-3"}), "whole number from 1"},
        {Words({L"--samples", L"0.5"}), "whole number from 1"},
        {Words({L"--samples", L"1e300"}), "whole number from 1"},
        {Words({L"--samples", L"1000001"}), "whole number from 1"},
        {Words({L"--samples", L"twelve"}), "whole number from 1"},
        {Words({L"--seconds", L"0"}), "--seconds takes"},
        {Words({L"--seconds", L"inf"}), "--seconds takes"},
        {Words({L"--samples"}), "--samples needs a value"},
        {Words({L"--bogus"}), "unknown argument \"--bogus\""},
        {Words({L"--append"}), "--append adds a run to the file given with --csv or --json"},
        {Words({L"--json", L"-"}), "a record goes to a file"},
        {Words({L"--plot"}), "--plot needs a value"},
        {Words({L"--compare", L"a", L"b", L"--samples", L"3"}), "--compare reads files"},
        {Words({L"--compare", L"a"}), "--compare needs two files"},
    };
    for (const auto& c : bad) {
        options = Options();
        error.clear();
        EXPECT_FALSE(ParseOptions(c.words, options, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--help"}), options, error));
    EXPECT_EQ(options.mode, Mode::Help);
}

// Several sides, a Markdown report, and runs recorded one after another into one file.
TEST(ReportOptions, SidesMarkdownRunsAndPauses)
{
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions(Words({L"--compare", L"a.json", L"b.json", L"c.csv", L"--markdown",
                                    L"r.md", L"--plot", L"r.svg"}),
                             options, error))
        << error;
    EXPECT_EQ(options.compare, Words({L"a.json", L"b.json", L"c.csv"}));
    EXPECT_EQ(options.markdown, L"r.md");
    EXPECT_EQ(options.plot, L"r.svg");
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--runs", L"3", L"--json", L"a.json"}), options, error));
    EXPECT_EQ(options.runs, 3);
    EXPECT_EQ(options.pause, 60); // a minute apart unless told
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--runs", L"2", L"--pause", L"0", L"--csv", L"a.csv"}),
                             options, error));
    EXPECT_EQ(options.pause, 0);

    std::vector<std::wstring> many = {L"--compare"};
    for (int i = 0; i < 27; ++i) {
        many.push_back(L"side" + std::to_wstring(i) + L".csv");
    }
    const struct {
        std::vector<std::wstring> words;
        const char* message;
    } bad[] = {
        {many, "at most 26"},
        {Words({L"--compare", L"a", L"--json", L"-"}), "--compare needs two files or more"},
        {Words({L"--markdown", L"r.md"}), "give it with --compare"},
        {Words({L"--compare", L"a", L"b", L"--json", L"-", L"--markdown", L"-"}),
         "only one of --json and --markdown"},
        {Words({L"--compare", L"a", L"b", L"--runs", L"3"}), "--compare reads files"},
        {Words({L"--runs", L"3"}), "give --csv FILE or --json FILE"},
        {Words({L"--runs", L"0", L"--csv", L"a.csv"}), "--runs takes a whole number from 1"},
        {Words({L"--runs", L"2.5", L"--csv", L"a.csv"}), "--runs takes a whole number from 1"},
        {Words({L"--runs", L"3", L"--csv", L"a.csv", L"--plot", L"p.svg"}),
         "--plot draws a single"},
        {Words({L"--pause", L"5", L"--csv", L"a.csv"}), "--pause spaces the runs"},
        {Words({L"--runs", L"3", L"--pause", L"-1", L"--csv", L"a.csv"}), "--pause takes"},
        {Words({L"--check", L"--runs", L"3"}), "--check only looks"},
    };
    for (const auto& c : bad) {
        options = Options();
        error.clear();
        EXPECT_FALSE(ParseOptions(c.words, options, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    // The usage states the allowance the verdicts make.
    EXPECT_NE(std::string(kUsage).find("differing by up to " +
                                       std::to_string(std::lround(kRunAllowance * 100)) + " %"),
              std::string::npos);
    EXPECT_EQ(CommandLine(Words({L"--compare", L"a b.json", L"c.json"})),
              "zolvik-report --compare \"a b.json\" c.json");
}

TEST_F(ReportFiles, RunsAreWrittenAsTheyComeAndAppendedUnderTheNextNumber)
{
    // A folder name in Cyrillic and CJK reaches the file system as it is.
    const std::wstring path = Path(L"\u041e\u0442\u0447\u0451\u0442 \u6d4b\u8bd5.csv");
    CsvSink sink;
    std::string error;
    ASSERT_EQ(OpenCsvSink(path, false, sink, error), kExitOk) << error;
    ASSERT_TRUE(WriteSampleRow(sink, {1, 0.5, 4.25}));
    // The row is on disk before the file is closed: a run cut short keeps it.
    EXPECT_EQ(Content(path), "run,index,seconds,duration_ms\n1,1,0.500,4.250000\n");
    ASSERT_TRUE(WriteSampleRow(sink, {2, 1.0, 12.125}));
    CloseCsvSink(sink);

    ASSERT_EQ(OpenCsvSink(path, true, sink, error), kExitOk) << error;
    EXPECT_EQ(sink.run, 2);
    ASSERT_TRUE(WriteSampleRow(sink, {1, 0.25, 3.5}));
    CloseCsvSink(sink);
    std::vector<::Run> runs;
    ASSERT_TRUE(ReadRunsCsv(path, runs, error)) << error;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(Durations(runs[0]), (std::vector<double>{4.25, 12.125}));
    EXPECT_EQ(runs[1].number, 2);
    EXPECT_EQ(Durations(runs[1]), std::vector<double>{3.5});

    // --append to a file that is not there yet starts it with run 1.
    const std::wstring fresh = Path(L"fresh.csv");
    ASSERT_EQ(OpenCsvSink(fresh, true, sink, error), kExitOk) << error;
    EXPECT_EQ(sink.run, 1);
    CloseCsvSink(sink);
}

TEST_F(ReportFiles, AResultsFileIsNeverOverwrittenNorAppendedToInAnotherForm)
{
    const std::string kept = "run,index,seconds,duration_ms\n1,1,0.5,4\n";
    const std::wstring existing = Write(L"existing.csv", kept);
    CsvSink sink;
    std::string error;
    EXPECT_EQ(OpenCsvSink(existing, false, sink, error), kExitFileExists);
    EXPECT_NE(error.find("exists: a results file is never overwritten"), std::string::npos);
    EXPECT_EQ(Content(existing), kept);
    EXPECT_EQ(sink.file, nullptr);

    const std::wstring older = Write(L"older.csv", "index,seconds,duration_ms\n1,0.5,4\n");
    EXPECT_EQ(OpenCsvSink(older, true, sink, error), kExitBadFile);
    EXPECT_NE(error.find("has the older form"), std::string::npos) << error;
    const std::wstring other = Write(L"other.csv", "when,what\n1,2\n");
    EXPECT_EQ(OpenCsvSink(other, true, sink, error), kExitBadFile);
    EXPECT_NE(error.find("not a zolvik-report CSV"), std::string::npos) << error;
    EXPECT_EQ(Content(other), "when,what\n1,2\n");

    // A file whose last row has no line end gets one before the new run.
    const std::wstring cut = Write(L"cut.csv", "run,index,seconds,duration_ms\n1,1,0.5,4");
    ASSERT_EQ(OpenCsvSink(cut, true, sink, error), kExitOk) << error;
    ASSERT_TRUE(WriteSampleRow(sink, {1, 0.5, 5}));
    CloseCsvSink(sink);
    std::vector<::Run> runs;
    ASSERT_TRUE(ReadRunsCsv(cut, runs, error)) << error;
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(ReportFiles, BadFilesAreRefusedWithTheirNameAndLine)
{
    struct Case {
        const char* content;
        const char* message;
    };
    const Case cases[] = {
        {"index,seconds,duration_ms\n1,0.5,4.0\n2,1.0,abc\n", ":3: malformed row \"2,1.0,abc\""},
        {"index,seconds,duration_ms\n1,0.5\n", ":2: malformed row"},
        {"index,seconds,duration_ms\n1,0.5,-3\n", ":2: malformed row"},
        {"index,seconds,duration_ms\n1,0.5,4,9\n", ":2: malformed row"},
        {"run,index,seconds,duration_ms\n0,1,0.5,4\n", ":2: malformed row"},
        {"run,index,seconds,duration_ms\n1.5,1,0.5,4\n", ":2: malformed row"},
        {"run,index,seconds,duration_ms\n1,1,0.5,nan\n", ":2: malformed row"},
        {"run,index,seconds,duration_ms\n1,1,0.5,4,\n", ":2: malformed row"},
        {"a,b,c\n1,0.5,4\n", ":1: not a zolvik-report CSV"},
        {"index,seconds,duration_ms\n", ": no samples"},
        {"", ":1: not a zolvik-report CSV"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring path = Write(L"bad" + std::to_wstring(n++) + L".csv", c.content);
        std::vector<::Run> runs;
        std::string error;
        EXPECT_FALSE(ReadRunsCsv(path, runs, error)) << c.content;
        EXPECT_NE(error.find(Utf8(path) + c.message), std::string::npos) << error;
    }
    std::vector<::Run> runs;
    std::string error;
    EXPECT_FALSE(ReadRunsCsv(Path(L"missing.csv"), runs, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);

    // The older form is one run; Windows line ends and a missing last newline are fine.
    const std::wstring crlf = Write(L"crlf.csv", "index,seconds,duration_ms\r\n1,0.5,4\r\n2,1,6");
    ASSERT_TRUE(ReadRunsCsv(crlf, runs, error)) << error;
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(Durations(runs[0]), (std::vector<double>{4, 6}));
}

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

TEST_F(ReportFiles, CompareWritesTheVerdictAsTextAndJsonTheSameEachTime)
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
        written.json = json;
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
    again.json = json;
    EXPECT_EQ(CompareFiles({a, b}, again, out, out), kExitFileExists);
    EXPECT_EQ(CompareFiles({a, Path(L"absent.csv")}, CompareOutputs(), out, out), kExitBadFile);
    std::fclose(out);
    EXPECT_NE(Content(outPath).find("absent.csv: cannot open"), std::string::npos);
}

} // namespace
