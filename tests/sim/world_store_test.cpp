// The world file: sharing between processes, change detection, rejection of
// broken files, and the privacy of its directory.
#include "sim/world_store.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <limits>

#include "sim/world_json.h"
#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::HasSubstr;

TEST(WorldStore, TwoProcessesChangingTheWorldAtOnceLoseNoChange) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    constexpr int kEach = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                const std::string name = "stick-" + std::to_string(p) + "-" + std::to_string(i);
                failures += command(world.file(), {"foreign", "add", name}).status != 0;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    WorldStore store(world.file());
    EXPECT_EQ(store.read()->foreignDisks.size(), 2u * kEach);
}

TEST(WorldStore, AReaderSeesAnotherWritersChangeAtOnceEvenAtTheSameSize) {
    TempWorld world;
    WorldStore reader(world.file());
    WorldStore writer(world.file());
    ASSERT_EQ(reader.read()->rebuildSeconds, 120);
    const auto size = std::filesystem::file_size(world.file());
    writer.update([](World& w) {
        w.rebuildSeconds = 130;
        return true;
    });
    ASSERT_EQ(std::filesystem::file_size(world.file()), size);
    EXPECT_EQ(reader.read()->rebuildSeconds, 130);
}

TEST(WorldStore, AFailedChangeWritesNothing) {
    TempWorld world;
    WorldStore store(world.file());
    store.read();
    const std::string before = world.contents();
    EXPECT_FALSE(store.update([](World& w) {
        w.enclosures.clear();
        return false;
    }));
    EXPECT_EQ(world.contents(), before);
    EXPECT_EQ(store.read()->enclosures.size(), 1u);
}

// Each case breaks one thing in an otherwise sound world file.
struct Breakage {
    const char* what;
    void (*apply)(nlohmann::json&);
};

class BrokenWorld : public ::testing::TestWithParam<Breakage> {};

TEST_P(BrokenWorld, IsRejectedNamingTheFileAndLeftAsItIs) {
    TempWorld world;
    WorldStore store(world.file());
    nlohmann::json json = toJson(*store.read());
    GetParam().apply(json);
    const std::string text = json.dump(2);
    world.write(text);
    try {
        store.read();
        FAIL() << "accepted";
    } catch (const WorldError& e) {
        EXPECT_THAT(e.what(), HasSubstr(world.file().string()));
    }
    EXPECT_THROW(store.update([](World&) { return true; }), WorldError);
    EXPECT_EQ(world.contents(), text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    BrokenWorld,
    ::testing::Values(
        Breakage{"otherFormat", [](nlohmann::json& j) { j["format"] = 9; }},
        Breakage{"noEnclosures", [](nlohmann::json& j) { j.erase("enclosures"); }},
        Breakage{"negativeSize",
                 [](nlohmann::json& j) { j["enclosures"][0]["disks"][0]["sizeBytes"] = -5; }},
        Breakage{"slotBeyondThePorts",
                 [](nlohmann::json& j) { j["enclosures"][0]["disks"][1]["slot"] = 2; }},
        Breakage{"twoDisksInOneSlot",
                 [](nlohmann::json& j) { j["enclosures"][0]["disks"][1]["slot"] = 0; }},
        Breakage{"blockOfAMissingVolume",
                 [](nlohmann::json& j) {
                     j["enclosures"][0]["disks"][0]["blocks"][0]["logicalDisk"] = 7;
                 }},
        Breakage{
            "volumeListsAForeignBlock",
            [](nlohmann::json& j) { j["enclosures"][0]["logicalDisks"][0]["blocks"][0] = 99; }},
        Breakage{"nameTooLong",
                 [](nlohmann::json& j) {
                     j["enclosures"][0]["logicalDisks"][0]["name"] = "seventeen bytes!!";
                 }},
        Breakage{"rebuildOfNothing",
                 [](nlohmann::json& j) {
                     j["enclosures"][0]["rebuilds"].push_back(
                         {{"logicalDisk", 1}, {"disk", 2}, {"block", 40}, {"startNanoseconds", 0}});
                 }},
        Breakage{"rebuildStartOutOfRange",
                 [](nlohmann::json& j) {
                     j["enclosures"][0]["rebuilds"].push_back(
                         {{"logicalDisk", 1},
                          {"disk", 1},
                          {"block", 1},
                          {"startNanoseconds", std::numeric_limits<std::int64_t>::min()}});
                 }},
        Breakage{
            "faultOfNoOperation",
            [](nlohmann::json& j) {
                j["faults"].push_back({{"operation", "MV_Bogus"}, {"times", 1}, {"status", 3}});
            }},
        Breakage{"zeroRebuildTime", [](nlohmann::json& j) { j["rebuildSeconds"] = 0; }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(WorldStore, DefaultPlaceMustBeADirectoryOnlyItsUserCanUse) {
    TempWorld world;
    const auto dir = world.dir() / "shared";
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    WorldStore exposed(WorldLocation{dir / "world.json", true});
    EXPECT_THROW(exposed.read(), WorldError);
    EXPECT_FALSE(std::filesystem::exists(dir / "world.json"));

    ASSERT_EQ(::chmod(dir.c_str(), 0700), 0);
    WorldStore mine(WorldLocation{dir / "world.json", true});
    EXPECT_NO_THROW(mine.read());
    struct stat st {};
    ASSERT_EQ(::stat((dir / "world.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace sim::testing
