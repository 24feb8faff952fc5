// What --help lists is what the parser takes and what the manual documents,
// for every verb of norvik-raid and for norvik-sim.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/verbs.h"
#include "sim/command/command.h"
#include "tests/cli/cli_test_support.h"

namespace {

using cli::testing::run;

// The options a help text lists at the start of a line, each with whether it
// takes a value ("--interval SECONDS").
std::map<std::string, bool> listedOptions(const std::string& help) {
    static const std::regex line(R"(^\s+(?:-[a-zA-Z], )?(--[a-z][a-z-]*)( [A-Z][A-Z-]*)?)");
    std::map<std::string, bool> options;
    std::istringstream in(help);
    for (std::string text; std::getline(in, text);) {
        std::smatch m;
        if (std::regex_search(text, m, line)) {
            options[m[1]] = m[2].matched;
        }
    }
    return options;
}

// The manual page as a reader sees its words: roff's escapes and fonts removed.
std::string manual(const std::string& page) {
    std::ifstream in(std::string(NORVIK_MANUAL_DIR) + "/" + page + ".1");
    std::stringstream roff;
    roff << in.rdbuf();
    std::string text = std::regex_replace(roff.str(), std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

bool mentions(const std::string& manualText, const std::string& option) {
    return std::regex_search(manualText, std::regex(option + R"((?![a-z-]))"));
}

TEST(ListedOptions, ReadsTheOptionColumnOnly) {
    EXPECT_EQ(
        listedOptions("Usage: x --json\n  --json       one object\n"
                      "  --interval SECONDS  time\n  -h, --help   this\n  (--nope)\n"),
        (std::map<std::string, bool>{{"--help", false}, {"--interval", true}, {"--json", false}}));
}

class VerbHelp : public cli::testing::SimulatedEnclosure,
                 public ::testing::WithParamInterface<std::string> {};

TEST_P(VerbHelp, EveryListedOptionIsTakenAndInTheManual) {
    const auto help = run({GetParam(), "--help"});
    ASSERT_EQ(help.status, 0);
    EXPECT_THAT(help.out, ::testing::StartsWith("Usage: norvik-raid " + GetParam()));
    const auto options = listedOptions(help.out);
    EXPECT_GE(options.size(), 3u);
    const std::string page = manual("norvik-raid");
    ASSERT_THAT(page, ::testing::HasSubstr(".TH \"norvik-raid\" \"1\""));
    for (const auto& [option, valued] : options) {
        EXPECT_TRUE(mentions(page, option)) << option << " of " << GetParam();
        const std::string word = valued ? option + "=1" : option;
        EXPECT_EQ(run({GetParam(), word, "--help"}).status, 0) << word << " of " << GetParam();
    }
}

INSTANTIATE_TEST_SUITE_P(Verbs,
                         VerbHelp,
                         ::testing::ValuesIn([] {
                             std::vector<std::string> names;
                             for (const auto& verb : cli::verbs()) {
                                 names.push_back(verb.name);
                             }
                             return names;
                         }()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

TEST(MainHelp, ListsEveryVerbAndItsOwnOptionsAreInTheManual) {
    const auto help = run({"--help"});
    ASSERT_EQ(help.status, 0);
    const std::string page = manual("norvik-raid");
    for (const auto& verb : cli::verbs()) {
        EXPECT_THAT(help.out, ::testing::HasSubstr(std::string("  ") + verb.name + " "));
        EXPECT_TRUE(mentions(page, verb.name)) << verb.name;
    }
    for (const auto& [option, valued] : listedOptions(help.out)) {
        EXPECT_TRUE(mentions(page, option)) << option;
    }
}

TEST(SimulatorHelp, EveryOptionIsInItsManual) {
    const std::string page = manual("norvik-sim");
    std::set<std::string> options;
    const std::string usage = sim::commandUsage();
    const std::regex option(R"(--[a-z][a-z-]*)");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it) {
        options.insert(it->str());
    }
    EXPECT_GE(options.size(), 8u);
    for (const auto& name : options) {
        EXPECT_TRUE(mentions(page, name)) << name;
    }
}

TEST(Manuals, CarryTheVersionOfTheBuild) {
    for (const char* page : {"norvik-raid", "norvik-sim", "norvik-raid-utility"}) {
        EXPECT_THAT(manual(page),
                    ::testing::HasSubstr(std::string("Norvik RAID Utility ") + NORVIK_VERSION))
            << page;
    }
}

}  // namespace
