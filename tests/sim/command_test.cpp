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
        std::vector<std::string>{"foreign", "add"},
        std::vector<std::string>{"pull", "--help"},
        std::vector<std::string>{"foreign", "add", "-h"}));

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

TEST(Command, HelpAskedByTheFirstWordIsShownAndChangesNothing) {
    TempWorld world;
    for (auto args : {std::vector<std::string>{"--help"}, {"help"}, {"-h"}, {"help", "pull"}}) {
        auto result = command(world.file(), args);
        EXPECT_EQ(result.status, kCommandOk);
        EXPECT_THAT(result.out, HasSubstr("Usage: norvik-sim"));
    }
    EXPECT_FALSE(std::filesystem::exists(world.file()));
}

TEST(Command, VersionAskedByTheFirstWordIsShownAndChangesNothing) {
    TempWorld world;
    for (auto args : {std::vector<std::string>{"--version"}, {"-V"}}) {
        auto result = command(world.file(), args);
        EXPECT_EQ(result.status, kCommandOk);
        EXPECT_THAT(result.out, ::testing::MatchesRegex("norvik-sim [0-9]+\\.[0-9]+\\.[0-9]+\n"));
    }
    EXPECT_FALSE(std::filesystem::exists(world.file()));
}

TEST(Command, AMistakeIsFollowedByThatCommandsUsage) {
    TempWorld world;
    auto result = command(world.file(), {"insert", "0", "--sise=3"});
    EXPECT_EQ(result.status, kCommandUsage);
    EXPECT_THAT(result.err, HasSubstr("--sise"));
    EXPECT_THAT(result.err, HasSubstr("Usage: norvik-sim insert SLOT [--size BYTES]"));
}

TEST(Command, OptionValuesMayFollowAnEqualsSign) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset", "--layout=raid0", "--enclosures=2"}).status,
              kCommandOk);
    EXPECT_EQ(WorldStore(world.file()).read()->enclosures.size(), 2u);
}

TEST(Command, HelpLaterOnTheLineIsAnArgumentLikeAnyOther) {
    TempWorld world;
    auto added = command(world.file(), {"foreign", "add", "help"});
    EXPECT_EQ(added.status, kCommandOk);
    EXPECT_THAT(added.out, Not(HasSubstr("Usage")));
    EXPECT_EQ(WorldStore(world.file()).read()->foreignDisks.at(0).name, "help");
}

TEST(Command, AForeignDiskNameThatIsNotUtf8IsRefusedSayingSo) {
    TempWorld world;
    auto result = command(world.file(), {"foreign", "add", "stick\xff"});
    EXPECT_EQ(result.status, kCommandUsage);
    EXPECT_THAT(result.err, HasSubstr("\"stick\\xFF\" is not UTF-8"));
}

// Names come from whoever wrote the world; a terminal must not obey them.
TEST(Command, StatusShowsControlCharactersInNamesEscaped) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    ASSERT_EQ(command(world.file(), {"foreign", "add", "\x1b]0;owned\x07"}).status, 0);
    WorldStore(world.file()).update([](World& w) {
        w.enclosures[0].logicalDisks[0].name =
            "vol\x9b"
            "2J\xc2\x9b\x7f";
        w.enclosures[0].disks[0].model = "disk\r\n";
        return true;
    });

    auto text = command(world.file(), {"status"});
    ASSERT_EQ(text.status, 0);
    EXPECT_THAT(text.out, HasSubstr("Foreign disks: \\x1B]0;owned\\x07\n"));
    EXPECT_THAT(text.out, HasSubstr("\"vol\\x9B2J\\xC2\\x9B\\x7F\""));
    EXPECT_THAT(text.out, HasSubstr("disk\\x0D\\x0A (serial"));

    auto json = command(world.file(), {"status", "--json"});
    ASSERT_EQ(json.status, 0);
    for (unsigned char c : json.out) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << int(c);
    }
    EXPECT_EQ(nlohmann::json::parse(json.out)["foreignDisks"][0]["name"], "\x1b]0;owned\x07");
}

TEST(Command, AVolumeOfTheLargestSizeItsRecordHoldsIsShownInFull) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    WorldStore(world.file()).update([](World& w) {
        w.enclosures[0].logicalDisks[0].sizeKiB = (std::uint64_t{1} << 54) - 1;
        return true;
    });
    EXPECT_THAT(command(world.file(), {"status"}).out,
                HasSubstr("18,446,744,073,709,550,592 bytes"));
}

TEST(Command, AWorldPathThatCannotHoldAWorldIsNamedAndNotOfferedForReset) {
    TempWorld world;
    const auto target = world.dir() / "real.json";
    ASSERT_EQ(command(target, {"reset"}).status, 0);
    const auto link = world.dir() / "link.json";
    std::filesystem::create_symlink(target, link);

    for (auto args : {std::vector<std::string>{"status"}, {"reset"}, {"plug"}}) {
        auto result = command(link, args);
        EXPECT_EQ(result.status, kCommandFailed);
        EXPECT_THAT(result.err, HasSubstr(link.string() + ": it is a symbolic link"));
        EXPECT_THAT(result.err, Not(HasSubstr("reset")));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_THAT(commandUsage(), HasSubstr("symbolic link there is refused"));
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
