// zolvik-report's statistics, its recovery of single passes and its CSV files.
#include "bench/bench.h"
#include "report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
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

// The shown means come from the program's own history and its six-decimal readout.
TEST(ReportStatistics, RecoversEachPassFromTheShownMeansAcrossResets)
{
    const double passes[] = {3.1234, 5.0, 4.25, 8.0001, 1.5, 2.0, 9.75, 6.125, 7.0, 3.5, 0.0001};
    TimingHistory history;
    double previous = 0;
    int k = 0;
    for (double pass : passes) {
        history.Push(pass);
        ++k;
        wchar_t shown[100];
        std::swprintf(shown, 100, L"%.6f", history.Average());
        const double mean = std::wcstod(shown, nullptr);
        // Each shown mean is rounded by at most half a millionth; the error grows with k.
        EXPECT_NEAR(PassDuration(k, mean, previous), pass, (2 * k - 1) * 0.5e-6) << k;
        previous = mean;
        if (k == 8) {
            history.Clear();
            k = 0;
            previous = 0;
        }
    }
}

class ReportCsv : public ::testing::Test
{
  protected:
    std::string Path(const char* name)
    {
        std::string path = ::testing::TempDir() + "zolvik_" + std::to_string(getpid()) + "_" + name;
        created.push_back(path);
        return path;
    }
    std::string Write(const char* name, const char* content)
    {
        const std::string path = Path(name);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fputs(content, file);
        std::fclose(file);
        return path;
    }
    void TearDown() override
    {
        for (const std::string& path : created) {
            std::remove(path.c_str());
        }
    }
    std::vector<std::string> created;
};

TEST_F(ReportCsv, RowsWrittenAsTheyComeReadBack)
{
    const std::string path = Path("written.csv");
    std::FILE* csv = OpenSamplesCsv(path);
    ASSERT_NE(csv, nullptr);
    ASSERT_TRUE(WriteSampleRow(csv, 1, 0.5, 4.25));
    // The row is on disk before the file is closed: a run cut short keeps it.
    std::vector<double> durations;
    std::string error;
    ASSERT_TRUE(ReadSamplesCsv(path, durations, error)) << error;
    EXPECT_EQ(durations, std::vector<double>{4.25});
    ASSERT_TRUE(WriteSampleRow(csv, 2, 1.0, 12.125));
    std::fclose(csv);
    durations.clear();
    ASSERT_TRUE(ReadSamplesCsv(path, durations, error)) << error;
    EXPECT_EQ(durations, (std::vector<double>{4.25, 12.125}));
}

TEST_F(ReportCsv, BadFilesAreRefusedWithTheirNameAndLine)
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
        {"a,b,c\n1,0.5,4\n", ":1: not a zolvik-report CSV"},
        {"index,seconds,duration_ms\n", ": no samples"},
        {"", ":1: not a zolvik-report CSV"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = Write(("bad" + std::to_string(n++) + ".csv").c_str(), c.content);
        std::vector<double> durations;
        std::string error;
        EXPECT_FALSE(ReadSamplesCsv(path, durations, error)) << c.content;
        EXPECT_NE(error.find(path + c.message), std::string::npos) << error;
    }
    std::vector<double> durations;
    std::string error;
    EXPECT_FALSE(ReadSamplesCsv(Path("missing.csv"), durations, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);

    // Windows line ends and a missing last newline are fine.
    const std::string crlf = Write("crlf.csv", "index,seconds,duration_ms\r\n1,0.5,4\r\n2,1,6");
    ASSERT_TRUE(ReadSamplesCsv(crlf, durations, error)) << error;
    EXPECT_EQ(durations, (std::vector<double>{4, 6}));
}

TEST_F(ReportCsv, CompareShowsBothSummariesAndTheRatioOfMedians)
{
    const std::string a = Write("a.csv", "index,seconds,duration_ms\n1,0,2\n2,1,4\n3,2,3\n");
    const std::string b = Write("b.csv", "index,seconds,duration_ms\n1,0,6\n2,1,9\n");
    const std::string outPath = Path("out.txt");
    std::FILE* out = std::fopen(outPath.c_str(), "w+");
    EXPECT_EQ(CompareCsvFiles(a, b, out, out), kExitOk);
    std::rewind(out);
    char buffer[4096] = {};
    std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    const std::string text = buffer;
    EXPECT_NE(text.find("median ratio B/A: 2.5000"), std::string::npos) << text;
    EXPECT_NE(text.find("median           3.000000         7.500000"), std::string::npos) << text;

    std::FILE* errors = std::fopen(outPath.c_str(), "w+");
    EXPECT_EQ(CompareCsvFiles(a, Path("absent.csv"), errors, errors), kExitBadCsv);
    std::rewind(errors);
    std::fread(buffer, 1, sizeof buffer - 1, errors);
    std::fclose(errors);
    EXPECT_NE(std::string(buffer).find("absent.csv: cannot open"), std::string::npos);
}

} // namespace
