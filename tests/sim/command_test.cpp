// norvik-sim's command line: every mistake is named and changes nothing.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class Mistyped : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(Mistyped, ExitsWithTheUsageStatusAndLeavesTheWorldAlone) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    const std::string before = world.contents();
    auto result = command(world.file(), GetParam());
    EXPECT_EQ(result.status, kCommandUsage);
    EXPECT_THAT(result.err, HasSubstr("norvik-sim"));
    EXPECT_THAT(result.out, IsEmpty());
    EXPECT_EQ(world.contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Commands,
    Mistyped,
    ::testing::Values(
        std::vector<std::string>{},
        std::vector<std::string>{"frob"},
        std::vector<std::string>{"pull"},
        std::vector<std::string>{"pull", "x"},
        std::vector<std::string>{"pull", "-1"},
        std::vector<std::string>{"pull", "0", "--enclosure"},
        std::vector<std::string>{"pull", "0", "1"},
        std::vector<std::string>{"insert", "0", "--size", "12abc"},
        std::vector<std::string>{"insert", "0", "--size", "12"},
        std::vector<std::string>{"insert", "0", "--sise", "3000000000000"},
        std::vector<std::string>{"reset", "--layout", "raid5"},
        std::vector<std::string>{"reset", "--enclosures", "99"},
        std::vector<std::string>{"reset", "--layout", "raid0", "--layout", "raid1"},
        std::vector<std::string>{"status", "--json=yes"},
        std::vector<std::string>{"plug", "0", "1"},
        std::vector<std::string>{"rebuild-time", "-3"},
        std::vector<std::string>{"rebuild-time", "soon"},
        std::vector<std::string>{"auto-rebuild", "maybe"},
        std::vector<std::string>{"fault", "MV_LD_GetStatus"},
        std::vector<std::string>{"fault", "MV_LD_GetStatus", "--status", "3", "--throw"},
        std::vector<std::string>{"fault", "MV_LD_GetStatus", "--status", "256"},
        std::vector<std::string>{"fault", "MV_LD_GetStatus", "--throw", "--times", "0"},
        std::vector<std::string>{"fault", "MV_Nothing", "--throw"},
        std::vector<std::string>{"fault", "clear", "--throw"},
        std::vector<std::string>{"foreign", "attach", "stick"},
        std::vector<std::string>{"foreign", "add"}));

struct Refusal {
    std::vector<std::string> args;
    const char* message;
};

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, FailsSayingWhyAndLeavesTheWorldAlone) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    ASSERT_EQ(command(world.file(), {"foreign", "add", "stick"}).status, 0);
    const std::string before = world.contents();
    auto result = command(world.file(), GetParam().args);
    EXPECT_EQ(result.status, kCommandFailed);
    EXPECT_THAT(result.err, HasSubstr(GetParam().message));
    EXPECT_EQ(world.contents(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Commands,
    Refused,
    ::testing::Values(Refusal{{"pull", "2"}, "has slots 0 to 1"},
                      Refusal{{"pull", "0", "--enclosure", "1"}, "no enclosure 1"},
                      Refusal{{"insert", "0"}, "already holds a disk"},
                      Refusal{{"unplug", "3"}, "no enclosure 3"},
                      Refusal{{"foreign", "add", "stick"}, "already"},
                      Refusal{{"foreign", "remove", "card"}, "no foreign disk"}));

TEST(Command, HelpIsShownForAnySubcommandAndChangesNothing) {
    TempWorld world;
    for (auto args : {std::vector<std::string>{"--help"}, {"help"}, {"pull", "--help"}, {"-h"}}) {
        auto result = command(world.file(), args);
        EXPECT_EQ(result.status, kCommandOk);
        EXPECT_THAT(result.out, HasSubstr("Usage: norvik-sim"));
    }
    EXPECT_FALSE(std::filesystem::exists(world.file()));
}

TEST(Command, ResetBuildsTheAskedLayoutAndStatusShowsIt) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset", "--layout", "raid0", "--enclosures", "2",
                                     "--disk-size", "1_000_204_886_016"})
                  .status,
              0);
    auto status = command(world.file(), {"status", "--json"});
    ASSERT_EQ(status.status, 0);
    auto json = nlohmann::json::parse(status.out);
    ASSERT_EQ(json["enclosures"].size(), 2u);
    for (const auto& enclosure : json["enclosures"]) {
        EXPECT_EQ(enclosure["disks"][1]["sizeBytes"], 1'000'204'886'016ULL);
        EXPECT_EQ(enclosure["logicalDisks"][0]["raidMode"], 0);
        EXPECT_EQ(enclosure["logicalDisks"][0]["sizeKiB"], 2 * (1'000'204'886'016ULL >> 10));
        EXPECT_EQ(enclosure["logicalDisks"][0]["state"]["status"], "functional");
    }

    ASSERT_EQ(command(world.file(), {"pull", "1", "--enclosure", "1"}).status, 0);
    auto text = command(world.file(), {"status"});
    EXPECT_THAT(text.out, HasSubstr("Slot 1: empty"));
    EXPECT_THAT(text.out, HasSubstr("offline"));
    EXPECT_THAT(text.out, Not(HasSubstr("degraded")));
}

}  // namespace
}  // namespace sim::testing
