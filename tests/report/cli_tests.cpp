// The command line: the mode and the options each mode takes, and what is refused.
#include "cli/options.h"
#include "results/files.h"
#include "stats/precision.h"
#include "stats/verdict.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

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

} // namespace

// --precision records until a precision, --runs then its most; --plan reads one file.
TEST(ReportOptions, PrecisionAndPlan)
{
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        Words({L"--precision", L"5", L"--samples", L"120", L"--json", L"a.json"}), options, error))
        << error;
    EXPECT_EQ(options.mode, Mode::Record);
    EXPECT_EQ(options.precision, 5);
    EXPECT_EQ(options.runs, kPrecisionRuns);
    options = Options();
    ASSERT_TRUE(ParseOptions(
        Words({L"--precision", L"2.5", L"--runs", L"20", L"--json", L"a.json", L"--pause", L"0"}),
        options, error))
        << error;
    EXPECT_EQ(options.runs, 20);
    options = Options();
    ASSERT_TRUE(ParseOptions(Words({L"--plan", L"5", L"a.json"}), options, error)) << error;
    EXPECT_EQ(options.mode, Mode::Plan);
    EXPECT_EQ(options.plan, 5);
    EXPECT_EQ(options.planFile, L"a.json");
    for (const auto& bad :
         {Words({L"--precision", L"0", L"--json", L"a.json"}),
          Words({L"--precision", L"101", L"--json", L"a.json"}),
          Words({L"--precision", L"5"}),                                        // no file
          Words({L"--precision", L"5", L"--json", L"a.json", L"--runs", L"2"}), // below the pilot
          Words({L"--precision", L"5", L"--json", L"a.json", L"--samples", L"12"}),
          Words({L"--precision", L"5", L"--compare", L"a", L"b"}),
          Words({L"--precision", L"5", L"--sweep"}), Words({L"--check", L"--precision", L"5"}),
          Words({L"--plan", L"5"}), Words({L"--plan", L"5", L"a.json", L"--samples", L"3"})}) {
        options = Options();
        error.clear();
        EXPECT_FALSE(ParseOptions(bad, options, error)) << Utf8(bad[0]) << " " << Utf8(bad.back());
        EXPECT_FALSE(error.empty());
    }
}

// Every option a mode does not take is refused, naming the option and the mode, never ignored.
TEST(ReportOptions, EachModeRefusesEveryOptionItDoesNotTake)
{
    const struct {
        const char* mode;
        std::vector<std::wstring> words;
        std::vector<std::wstring> takes;
    } modes[] = {
        {"",
         {},
         {L"--append", L"--samples", L"--seconds", L"--patience", L"--csv", L"--json", L"--plot",
          L"--trace", L"--runs", L"--pause", L"--precision", L"--note"}},
        {"--compare", {L"--compare", L"a", L"b"}, {L"--json", L"--plot", L"--markdown"}},
        {"--sweep",
         {L"--sweep"},
         {L"--samples", L"--patience", L"--json", L"--plot", L"--trace", L"--runs"}},
        {"--check", {L"--check"}, {}},
        {"--plan", {L"--plan", L"5", L"a.json"}, {}},
    };
    const std::vector<std::vector<std::wstring>> options = {
        {L"--append"},         {L"--samples", L"30"},  {L"--seconds", L"5"},
        {L"--patience", L"5"}, {L"--csv", L"a.csv"},   {L"--json", L"a.json"},
        {L"--plot", L"p.svg"}, {L"--trace", L"t.csv"}, {L"--markdown", L"r.md"},
        {L"--runs", L"3"},     {L"--pause", L"1"},     {L"--precision", L"5"},
        {L"--note", L"n"}};
    for (const auto& m : modes) {
        for (const auto& option : options) {
            if (std::find(m.takes.begin(), m.takes.end(), option[0]) != m.takes.end()) {
                continue;
            }
            std::vector<std::wstring> words = m.words;
            words.insert(words.end(), option.begin(), option.end());
            Options parsed;
            std::string error;
            EXPECT_FALSE(ParseOptions(words, parsed, error)) << m.mode << " " << Utf8(option[0]);
            EXPECT_NE(error.find(Utf8(option[0])), std::string::npos) << error;
            EXPECT_NE(error.find(m.mode), std::string::npos) << error;
        }
    }
    // A note is one line, and is kept only where there is a record to keep it in.
    Options noted;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        Words({L"--note", L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440 B", L"--json", L"b.json"}),
        noted, error))
        << error;
    EXPECT_EQ(noted.note, "\u0434\u0440\u0430\u0439\u0432\u0435\u0440 B");
    const std::wstring longest(kMostNoteCharacters, L'x');
    EXPECT_TRUE(ParseOptions({L"--note", longest, L"--json", L"b.json"}, noted, error)) << error;
    for (const auto& bad : {Words({L"--note", L"x", L"--csv", L"b.csv"}),
                            Words({L"--note", L"two\nlines", L"--json", L"b.json"}),
                            Words({L"--note", L"", L"--json", L"b.json"}),
                            {L"--note", longest + L"x", L"--json", L"b.json"}}) {
        Options parsed;
        EXPECT_FALSE(ParseOptions(bad, parsed, error)) << Utf8(bad[1]);
        EXPECT_NE(error.find("--note"), std::string::npos) << error;
    }
    // Alternatives stay alternatives, and a sweep's record goes to a file.
    for (const auto& bad :
         {Words({L"--samples", L"5", L"--seconds", L"5"}), Words({L"--sweep", L"--json", L"-"})}) {
        Options parsed;
        std::string error;
        EXPECT_FALSE(ParseOptions(bad, parsed, error)) << Utf8(bad[0]);
    }
}
