// CSV results files: rows written as they come, runs appended under the next number, files
// never overwritten, and bad files refused with their name and line.
#include "exit_codes.h"
#include "report_files.h"
#include "results/files.h"
#include "results/results.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{

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

} // namespace
