// The documents a person reads: the README stays short, the manual names every option the
// usage text offers, and every link between the documents leads to a file that is there.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <filesystem>
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

} // namespace
