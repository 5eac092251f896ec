// A sweep's record: every visit and the fit, written once and read back; a sweep compares
// only with a sweep.
#include "commands/commands.h"
#include "exit_codes.h"
#include "report_files.h"
#include "sweep_data.h"
#include "output/text.h"
#include "results/results.h"
#include "results/sweep_record.h"
#include "stats/sweep_fit.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace
{

using nlohmann::json;
using ReportSweep = ReportFiles;

// What --compare makes of a file, read once: a sweep or not.
bool ReadsAsSweep(const std::wstring& path)
{
    ComparedFile file;
    std::string error;
    return ReadComparedFile(path, file, error) && file.sweep;
}

TEST_F(ReportSweep, RecordKeepsEveryVisitAndItsFit)
{
    SweepRecord record = Sweep("sweep-a");
    SweepWarning asked;
    asked.kind = SweepWarning::AreaNotAsAsked;
    asked.askedWidth = 408;
    asked.askedHeight = 388;
    asked.gotWidth = 408;
    asked.gotHeight = 390;
    record.warnings = {asked};
    const std::wstring path = Path(L"sweep \u00e9.json");
    std::string error;
    ASSERT_EQ(WriteSweepRecord(path, record, FitSweep(record.visits), error), kExitOk) << error;
    EXPECT_EQ(WriteSweepRecord(path, record, FitSweep(record.visits), error), kExitFileExists);
    EXPECT_TRUE(ReadsAsSweep(path));
    SweepRecord back;
    ASSERT_TRUE(ReadSweepRecord(path, back, error)) << error;
    ASSERT_EQ(back.visits.size(), record.visits.size());
    for (std::size_t i = 0; i < back.visits.size(); ++i) {
        EXPECT_EQ(back.visits[i].clientWidth, record.visits[i].clientWidth);
        EXPECT_EQ(back.visits[i].passes, record.visits[i].passes);
        EXPECT_EQ(back.visits[i].controls, record.visits[i].controls);
    }
    ASSERT_EQ(back.warnings.size(), 1u);
    EXPECT_EQ(SweepWarningWords(back.warnings[0]),
              "asked for a client area of 408 x 388, got 408 x 390");
    const json written = json::parse(Content(path));
    EXPECT_TRUE(written["fit"]["on_screen"]["stands"].get<bool>());
    // How the model fits is a code for scripts, not a sentence.
    EXPECT_EQ(written["fit"]["on_screen"]["state"], "fits");
    EXPECT_EQ(written["visits"][0]["drawing_area"], "400 x 300");
    EXPECT_EQ(written["fit"]["on_screen"]["components"]["per_line_call"]["unit"], "us");
    // Warnings are codes with their figures; the format says its version.
    EXPECT_EQ(written["format_version"], 2);
    EXPECT_EQ(written["warnings"][0], json({{"code", "area_not_as_asked"},
                                            {"asked", {{"width", 408}, {"height", 388}}},
                                            {"got", {{"width", 408}, {"height", 390}}}}));

    const std::wstring broken =
        Write(L"broken.json", R"({"format": "zolvik-report sweep", "visits": [{"client_area":)"
                              R"( {"width": 408, "height": -5}, "passes_ms": [1]}]})");
    EXPECT_FALSE(ReadSweepRecord(broken, back, error));
    EXPECT_NE(error.find("visits[0]"), std::string::npos) << error;
    EXPECT_FALSE(ReadsAsSweep(Write(L"record.json", R"({"format": "zolvik-report record"})")));

    // A sweep of the first format: its warnings were sentences, read and shown as they are.
    json first = written;
    first.erase("format_version");
    first["warnings"] = {"asked for a client area of 400 x 300, got 400 x 302"};
    ASSERT_TRUE(ReadSweepRecord(Write(L"first.json", first.dump()), back, error)) << error;
    ASSERT_EQ(back.warnings.size(), 1u);
    EXPECT_EQ(back.warnings[0].kind, SweepWarning::Text);
    EXPECT_EQ(SweepWarningWords(back.warnings[0]),
              "asked for a client area of 400 x 300, got 400 x 302");

    // What the platform told that is no JSON is written as null, never as a record that
    // cannot be read back.
    record.provenance = {"{\"version\": ", "not json"};
    const std::wstring told = Path(L"told.json");
    ASSERT_EQ(WriteSweepRecord(told, record, FitSweep(record.visits), error), kExitOk) << error;
    ASSERT_TRUE(ReadSweepRecord(told, back, error)) << error;
    EXPECT_EQ(json::parse(Content(told))["program"], nullptr);
}

TEST_F(ReportSweep, ComparingASweepWithRunsIsRefused)
{
    const std::string a = kSweepData + "sweep-a.json";
    const std::string runs = std::string(ZOLVIK_TEST_DATA) + "/report/same-build-1.json";
    std::FILE* out = std::tmpfile();
    CompareOutputs outputs;
    EXPECT_EQ(
        CompareFiles({std::wstring(a.begin(), a.end()), std::wstring(runs.begin(), runs.end())},
                     outputs, out, out),
        kExitBadFile);
    const std::wstring md = Path(L"sweeps.md");
    outputs.exports.push_back({Format::Markdown, md});
    EXPECT_EQ(CompareFiles({std::wstring(a.begin(), a.end()), std::wstring(a.begin(), a.end())},
                           outputs, out, out),
              kExitOk);
    std::fclose(out);
    // The table comes out as a table: a header and a row a component, every row whole.
    const std::string html = RenderedMarkdown(md);
    EXPECT_NE(html.find("<table>"), std::string::npos) << html;
    for (const char* cost :
         {"<td>fixed</td>", "<td>per line call</td>", "<td>per million pixels</td>"}) {
        EXPECT_NE(html.find(cost), std::string::npos) << cost << "\n" << html;
    }
    std::size_t cells = 0;
    for (std::size_t at = html.find("<td>"); at != std::string::npos;
         at = html.find("<td>", at + 1)) {
        ++cells;
    }
    EXPECT_EQ(cells, 3u * 6u);
}

} // namespace
