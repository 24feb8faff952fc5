// The world file: sharing between processes, change detection, rejection of
// broken files and of paths that cannot hold a world, and the privacy of its
// directory.
#include "sim/world_store.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <limits>
#include <set>

#include "sim/world_json.h"
#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::HasSubstr;

// Processes that each attach `each` foreign disks with norvik-sim, at once.
std::vector<pid_t> startForeignAdders(const std::filesystem::path& file, int processes, int each) {
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t pid = ::fork();
        if (pid < 0) {
            ADD_FAILURE() << "fork failed";
            break;
        }
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < each; ++i) {
                const std::string name = "stick-" + std::to_string(p) + "-" + std::to_string(i);
                failures += command(file, {"foreign", "add", name}).status != 0;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    return children;
}

void expectEachSucceeded(const std::vector<pid_t>& children) {
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

TEST(WorldStore, TwoProcessesChangingTheWorldAtOnceLoseNoChange) {
    TempWorld world;
    ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
    constexpr int kEach = 25;
    const auto children = startForeignAdders(world.file(), 2, kEach);
    expectEachSucceeded(children);
    WorldStore store(world.file());
    EXPECT_EQ(store.read()->foreignDisks.size(), 2u * kEach);
}

// A long-lived user (the window, a library client) must not go on locking a
// lock file that has since been removed and recreated while newcomers lock
// the new one.
TEST(WorldStore, WritersLoseNothingWhileTheLockFileIsReplacedUnderALongLivedWriter) {
    TempWorld world;
    WorldStore longLived(world.file());
    ASSERT_TRUE(longLived.update([](World& w) {
        w.foreignDisks.clear();
        return true;
    }));
    const std::filesystem::path lockFile = world.file().string() + ".lock";
    std::filesystem::remove(lockFile);

    constexpr int kChildren = 2, kEach = 25;
    const auto children = startForeignAdders(world.file(), kChildren, kEach);
    for (int i = 0; i < kEach; ++i) {
        if (i % 5 == 0) {
            // Replaced again, under the lock so that no one is inside the world meanwhile.
            WorldLock remover(world.file(), kDefaultLockWait);
            auto hold = remover.take(WorldLock::Mode::Exclusive);
            std::filesystem::remove(lockFile);
        }
        longLived.update([&](World& w) {
            w.foreignDisks.push_back({"card-" + std::to_string(i), 1 << 30});
            return true;
        });
    }
    expectEachSucceeded(children);
    WorldStore fresh(world.file());
    EXPECT_EQ(fresh.read()->foreignDisks.size(), (kChildren + 1u) * kEach);
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
        Breakage{"zeroRebuildTime", [](nlohmann::json& j) { j["rebuildSeconds"] = 0; }},
        Breakage{"volumeBeyondWhatItsRecordHolds",
                 [](nlohmann::json& j) {
                     j["enclosures"][0]["logicalDisks"][0]["sizeKiB"] = std::uint64_t{1} << 54;
                 }}),
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

// A path that cannot hold a world, prepared inside a test's directory.
struct OddPath {
    const char* what;
    std::filesystem::path (*prepare)(const TempWorld&);
    const char* message;
};

class PathThatCannotHoldAWorld : public ::testing::TestWithParam<OddPath> {};

std::set<std::filesystem::path> everythingUnder(const std::filesystem::path& dir) {
    std::set<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        found.insert(entry.path());
    }
    return found;
}

TEST_P(PathThatCannotHoldAWorld, IsRefusedPromptlyNamingItAndNothingIsCreatedOrReplaced) {
    TempWorld world;
    const std::filesystem::path path = GetParam().prepare(world);
    const auto before = everythingUnder(world.dir());
    struct stat was {};
    ASSERT_EQ(::lstat(path.c_str(), &was), 0);

    // Opening a FIFO used to block for ever; end the test rather than hang.
    ::alarm(60);
    WorldStore store(WorldLocation{path, false, std::chrono::milliseconds{500}});
    auto expectRefused = [&](const char* call, auto&& run) {
        try {
            run();
            ADD_FAILURE() << call << " accepted " << path;
        } catch (const WorldError& e) {
            EXPECT_THAT(e.what(), HasSubstr(path.string())) << call;
            EXPECT_THAT(e.what(), HasSubstr(GetParam().message)) << call;
        }
    };
    expectRefused("read", [&] { store.read(); });
    expectRefused("update", [&] { store.update([](World&) { return true; }); });
    expectRefused("replace", [&] { store.replace(makeWorld()); });
    ::alarm(0);

    EXPECT_EQ(everythingUnder(world.dir()), before);
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".lock"));
    struct stat is {};
    ASSERT_EQ(::lstat(path.c_str(), &is), 0);
    EXPECT_EQ(is.st_ino, was.st_ino);
    EXPECT_EQ(is.st_mode, was.st_mode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    PathThatCannotHoldAWorld,
    ::testing::Values(OddPath{"fifo",
                              [](const TempWorld& w) {
                                  const auto path = w.dir() / "world.json";
                                  EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                                  return path;
                              },
                              "FIFO"},
                      OddPath{"directory", [](const TempWorld& w) { return w.dir(); }, "directory"},
                      OddPath{"directoryWithASlash",
                              [](const TempWorld& w) { return w.dir() / ""; }, "directory"},
                      // Links are refused, not followed: the file they point to stays as it is.
                      OddPath{"symbolicLink",
                              [](const TempWorld& w) {
                                  const auto target = w.dir() / "real.json";
                                  std::ofstream(target) << serializeWorld(makeWorld());
                                  std::filesystem::create_symlink(target, w.dir() / "world.json");
                                  return w.dir() / "world.json";
                              },
                              "symbolic link"},
                      OddPath{"danglingSymbolicLink",
                              [](const TempWorld& w) {
                                  std::filesystem::create_symlink(w.dir() / "nowhere.json",
                                                                  w.dir() / "world.json");
                                  return w.dir() / "world.json";
                              },
                              "symbolic link"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(WorldStore, ADeviceIsRefusedAndNothingIsCreatedBesideIt) {
    WorldStore store(std::filesystem::path("/dev/null"));
    EXPECT_THROW(store.read(), WorldError);
    EXPECT_THROW(store.replace(makeWorld()), WorldError);
    EXPECT_FALSE(std::filesystem::exists("/dev/null.lock"));
}

TEST(WorldStore, AFolderOfAnotherUserIsRefusedBeforeAnythingIsCreated) {
    TempWorld world;
    std::filesystem::path dir = "/";
    if (::geteuid() == 0) {
        dir = world.dir() / "theirs";
        ASSERT_EQ(::mkdir(dir.c_str(), 0777), 0);
        ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
    }
    const auto file = dir / "norvik-sim-test-world.json";
    WorldStore store(file);
    try {
        store.read();
        FAIL() << "accepted " << file;
    } catch (const WorldError& e) {
        EXPECT_THAT(e.what(), HasSubstr("belongs to another user"));
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".lock"));
}

}  // namespace
}  // namespace sim::testing
