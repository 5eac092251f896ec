// The documents a person reads: the README stays short, the manual names every option the
// usage text offers, every link between the documents leads to a file that is there, the
// manual's rules carry the code's own numbers, and the design note's rooms are the tree's.
#include "cli/options.h"
#include "stats/stats.h"
#include "stats/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace
{

const std::filesystem::path kRoot =
    std::filesystem::path(ZOLVIK_TEST_DATA).parent_path().parent_path();

std::string Document(const std::filesystem::path& path)
{
    std::ifstream file(kRoot / path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Docs, TheReadmeIsShortAndTheManualNamesEveryOptionOfTheUsage)
{
    const std::string readme = Document("README.md");
    ASSERT_FALSE(readme.empty());
    EXPECT_LE(std::count(readme.begin(), readme.end(), '\n'), 150);

    const std::string manual = Document("docs/manual.md");
    const std::string usage = kUsage;
    std::set<std::string> options;
    const std::regex option("--[a-z]+");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it) {
        options.insert(it->str());
    }
    EXPECT_GE(options.size(), 15u);
    for (const std::string& name : options) {
        EXPECT_NE(manual.find("`" + name), std::string::npos) << name << " is not in the manual";
    }
}

TEST(Docs, EveryLinkBetweenTheDocumentsLeadsToAFile)
{
    const std::regex link(R"(\]\(([^)#:]+)(#[^)]*)?\))");
    for (const std::filesystem::path document :
         {"README.md", "docs/manual.md", "docs/design.md", "docs/testing.md"}) {
        const std::string text = Document(document);
        ASSERT_FALSE(text.empty()) << document;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), link);
             it != std::sregex_iterator(); ++it) {
            const std::filesystem::path target = kRoot / document.parent_path() / (*it)[1].str();
            EXPECT_TRUE(std::filesystem::exists(target)) << document << " links to " << target;
        }
    }
}

std::string Percent(double share)
{
    return std::to_string(static_cast<long>(std::lround(share * 100))) + " %";
}

std::string Fixed(const char* format, double value)
{
    char text[40];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Each rule of the manual's table stands with its number and the constant it comes from; a
// constant changed in the code and not in the manual (or the other way round) fails here.
// "runs of 24, 48, ... and 480 passes", as the manual lists the lengths a plan may choose.
std::string PlannedPasses()
{
    std::string list;
    const std::size_t count = sizeof kPlannedPasses / sizeof kPlannedPasses[0];
    for (std::size_t i = 0; i < count; ++i) {
        list += (i == 0 ? "" : i + 1 == count ? " and " : ", ") + std::to_string(kPlannedPasses[i]);
    }
    return "runs of " + list + " passes";
}

TEST(Docs, TheManualsRulesCarryTheCodesNumbers)
{
    const std::map<std::string, std::string> constants = {
        {"kSameBand", Percent(kSameBand)},
        {"kRunAllowance", Percent(kRunAllowance)},
        {"kMachineBand", Percent(kMachineBand)},
        {"kBlockLength", std::to_string(kBlockLength)},
        {"kMaxBlocks", std::to_string(kMaxBlocks)},
        {"kMinBlocks", std::to_string(kMinBlocks)},
        {"kMinBlockLength", std::to_string(kMinBlockLength)},
        {"kMinBlocks * kMinBlockLength", std::to_string(kMinBlocks * kMinBlockLength)},
        {"kPilotRuns", std::to_string(kPilotRuns)},
        {"kPrecisionRuns", std::to_string(kPrecisionRuns)},
        {"kPlanTarget", Percent(kPlanTarget)},
        {"kMostPlannedRuns", std::to_string(kMostPlannedRuns)},
    };
    const std::string manual = Document("docs/manual.md");
    const std::regex row(R"(\n\| \*\*[^|]*\| ([^|]+) \| `([^`]+)` \|)");
    std::set<std::string> seen;
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[2];
        const auto constant = constants.find(name);
        ASSERT_NE(constant, constants.end()) << name << " is not a constant this test knows";
        EXPECT_EQ((*it)[1].str(), constant->second) << "the manual's " << name;
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), constants.size()) << "a rule of the code is missing from the manual";

    // The figures the rules' sentences derive from them.
    const std::string derived[] = {
        "a factor of about " + Fixed("%.2f", std::sqrt(1 + kRunAllowance)),
        "(" + Fixed("%.3f", 1 / (1 + kMachineBand)) + "-" + Fixed("%.2f", 1 + kMachineBand) + ")",
        "fewer passes than " + std::to_string(kMinBlocks) + " blocks of " +
            std::to_string(kMinBlockLength),
        "the default 24 passes make " +
            std::to_string(EstimateMedian(std::vector<double>(24, 1)).blocks) + " blocks of " +
            std::to_string(EstimateMedian(std::vector<double>(24, 1)).blockLength),
        "within +-" + Percent(kSameBand),
        PlannedPasses(),
    };
    for (const std::string& figure : derived) {
        EXPECT_NE(manual.find(figure), std::string::npos) << figure << " is not in the manual";
    }
    // The usage text says the same numbers.
    const std::string usage = kUsage;
    for (const std::string& figure :
         {"up to " + Percent(kRunAllowance),
          "under " + std::to_string(kMinBlocks * kMinBlockLength) + " passes",
          "+-" + Percent(kMachineBand), std::to_string(kPilotRuns) + " runs first",
          "(default\n" + std::to_string(kPrecisionRuns) + ")"}) {
        EXPECT_NE(usage.find(figure), std::string::npos) << figure << " is not in the usage";
    }
}

// The room a file of src/report belongs to: its folder, or the file itself at the top.
std::string RoomOf(const std::filesystem::path& relative)
{
    const std::string first = relative.begin()->string();
    return relative.has_parent_path() && relative.parent_path() != "" ? first + "/" : first;
}

// The design note's table of rooms is the tree, and every include runs down its floors.
TEST(Docs, TheDesignNotesRoomsAreTheTreeAndIncludesRunDown)
{
    const std::string design = Document("docs/design.md");
    const auto start = design.find("## The rooms, from the ground floor up");
    ASSERT_NE(start, std::string::npos);
    const std::string table = design.substr(start, design.find("\n## ", start + 3) - start);
    const std::map<std::string, int> floors = {{"ground", 1}, {"2", 2}, {"3", 3},  {"4", 4},
                                               {"5", 5},      {"6", 6}, {"top", 7}};
    std::map<std::string, int> floorOf;
    const std::regex row(R"(\n\| (ground|top|\d) \| ([^|]+) \|)");
    const std::regex name("`([^`]+)`");
    for (auto it = std::sregex_iterator(table.begin(), table.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::string rooms = (*it)[2];
        for (auto n = std::sregex_iterator(rooms.begin(), rooms.end(), name);
             n != std::sregex_iterator(); ++n) {
            floorOf[(*n)[1]] = floors.at((*it)[1]);
        }
    }
    const std::filesystem::path source = kRoot / "src/report";
    std::set<std::string> rooms;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
        const std::filesystem::path relative = entry.path().lexically_relative(source);
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        const std::string room = RoomOf(relative);
        rooms.insert(room);
        ASSERT_TRUE(floorOf.count(room)) << room << " is not in the design note's table";
        std::ifstream file(entry.path());
        std::string line;
        const std::regex include(R"(^#include "([^"]+)\")");
        std::smatch match;
        while (std::getline(file, line)) {
            if (!std::regex_search(line, match, include)) {
                continue;
            }
            const std::filesystem::path target = match[1].str();
            // Outside src/report: the program's own headers, below every room.
            const bool program = target == "zolvik_facts.h" || *target.begin() == "bench";
            const std::string used = target == "zolvik_facts.h" ? "src/facts/zolvik_facts.h"
                                     : program                  ? "src/" + target.string()
                                                                : RoomOf(target);
            ASSERT_TRUE(floorOf.count(used)) << relative << " includes " << target;
            EXPECT_TRUE(used == room || program || floorOf[used] < floorOf[room])
                << relative << " (" << room << ", floor " << floorOf[room] << ") includes "
                << target << " (" << used << ", floor " << floorOf[used] << ")";
        }
    }
    for (const auto& [room, floor] : floorOf) {
        EXPECT_TRUE(rooms.count(room) || room.rfind("src/", 0) == 0)
            << room << " is in the design note's table but not in src/report";
    }
}

} // namespace
