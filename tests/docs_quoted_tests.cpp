// Output quoted in the README and the manual is the tool's own: a block marked with where it
// comes from (`<!-- output: FOLDER: zolvik-report ARGUMENTS -->` before it) must be what
// zolvik-report prints there, line for line, a line "  ..." standing for lines left out.
#include "commands/commands.h"
#include "output/text.h"
#include "results/results.h"
#include "results/sweep_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::filesystem::path kRoot =
    std::filesystem::path(ZOLVIK_TEST_DATA).parent_path().parent_path();

// Lines without trailing blanks, which a document's editor would not keep either.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    }
    return lines;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// What zolvik-report prints for `arguments` in `folder`: a comparison, a plan, or as a
// recording printed it, a sweep's table ("--sweep-record FILE") or the summary at the end of
// a run ("--run-record FILE N", run N of the record).
std::string Printed(const std::filesystem::path& folder, const std::vector<std::string>& arguments)
{
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::FILE* out = std::tmpfile();
    std::vector<std::wstring> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        files.emplace_back(arguments[i].begin(), arguments[i].end());
    }
    if (arguments[0] == "--compare") {
        EXPECT_EQ(CompareFiles(files, CompareOutputs(), out, out), 0);
    } else if (arguments[0] == "--plan") {
        EXPECT_EQ(PlanFromFile(files.at(1), std::stod(arguments.at(1)) / 100, out, out), 0);
    } else if (arguments[0] == "--sweep-record") {
        SweepRecord record;
        std::string error;
        EXPECT_TRUE(ReadSweepRecord(files.at(0), record, error)) << error;
        PrintSweep(out, record, FitSweep(record.visits));
    } else if (arguments[0] == "--run-record") {
        ResultsFile record;
        std::string error;
        EXPECT_TRUE(ReadRecord(files.at(0), record, error)) << error;
        const int number = std::stoi(arguments.at(2));
        for (const Run& run : record.runs) {
            if (run.number == number) {
                EXPECT_EQ(FinishRun(Options(), record.provenance, run, false, out, out), 0);
            }
        }
    } else {
        ADD_FAILURE() << "no way to make the output of " << arguments[0];
    }
    std::rewind(out);
    std::string text;
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) {
        text += static_cast<char>(c);
    }
    std::fclose(out);
    std::filesystem::current_path(before);
    return text;
}

// The block's lines in the printed ones, in order: from its first line on, each next line
// the next printed one, but after "  ..." anywhere further on.
std::string Missing(const std::vector<std::string>& block, const std::vector<std::string>& printed)
{
    std::size_t at = 0;
    bool skipping = true;
    for (const std::string& line : block) {
        if (line == "  ..." || line == "...") {
            skipping = true;
            continue;
        }
        while (skipping && at < printed.size() && printed[at] != line) {
            ++at;
        }
        if (at >= printed.size() || printed[at] != line) {
            return line;
        }
        skipping = false;
        ++at;
    }
    return "";
}

TEST(Docs, QuotedOutputIsWhatTheToolPrints)
{
    int checked = 0;
    for (const char* document : {"README.md", "docs/manual.md"}) {
        std::ifstream file(kRoot / document);
        std::stringstream text;
        text << file.rdbuf();
        const std::vector<std::string> lines = Lines(text.str());
        const std::string mark = "<!-- output: ";
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            if (lines[i].rfind(mark, 0) != 0 || lines[i + 1] != "```text") {
                continue;
            }
            const std::string source =
                lines[i].substr(mark.size(), lines[i].size() - mark.size() - 4);
            const std::string folder = source.substr(0, source.find(':'));
            std::vector<std::string> arguments = Words(source.substr(folder.size() + 1));
            ASSERT_GE(arguments.size(), 2u) << document << ": " << lines[i];
            arguments.erase(arguments.begin()); // "zolvik-report"
            std::vector<std::string> block;
            for (std::size_t j = i + 2; j < lines.size() && lines[j] != "```"; ++j) {
                block.push_back(lines[j]);
            }
            EXPECT_FALSE(block.empty()) << document << ": an empty block after line " << i + 1;
            const std::vector<std::string> printed = Lines(Printed(kRoot / folder, arguments));
            EXPECT_EQ(Missing(block, printed), "")
                << document << ", the block after line " << i + 1 << " (" << source
                << "): this line is not what the tool prints";
            ++checked;
        }
    }
    EXPECT_GE(checked, 7) << "the README's and the manual's quoted output, each with its source";
}

} // namespace
