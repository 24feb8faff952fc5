// The lock file beside the world: a bounded wait, and a lock file replaced
// under a long-lived user.
#include "sim/world_lock.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>

#include "sim/world_error.h"
#include "sim_test_support.h"

namespace sim::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
using Mode = WorldLock::Mode;

class WorldLockTest : public ::testing::Test {
  protected:
    std::filesystem::path worldFile() const { return temp.dir() / "world.json"; }
    std::filesystem::path lockFile() const { return temp.dir() / "world.json.lock"; }

    // Whether another user of the world could take the lock now.
    bool isFree(Mode mode) const {
        WorldLock other(worldFile(), 0ms);
        try {
            auto hold = other.take(mode);
            return true;
        } catch (const WorldError&) {
            return false;
        }
    }

    TempWorld temp;
};

TEST_F(WorldLockTest, ReadersShareItAndAWriterExcludesEveryone) {
    WorldLock lock(worldFile(), 0ms);
    {
        auto reading = lock.take(Mode::Shared);
        EXPECT_TRUE(isFree(Mode::Shared));
        EXPECT_FALSE(isFree(Mode::Exclusive));
    }
    {
        auto writing = lock.take(Mode::Exclusive);
        EXPECT_FALSE(isFree(Mode::Shared));
    }
    EXPECT_TRUE(isFree(Mode::Exclusive));
}

TEST_F(WorldLockTest, AHolderThatDoesNotLetGoIsReportedAfterABoundedWait) {
    WorldLock stuck(worldFile(), 0ms);
    auto hold = stuck.take(Mode::Exclusive);
    WorldLock waiting(worldFile(), 50ms);
    try {
        auto never = waiting.take(Mode::Shared);
        FAIL() << "took a lock that another holds";
    } catch (const WorldError& e) {
        EXPECT_THAT(e.what(),
                    AllOf(HasSubstr(lockFile().string()), HasSubstr("held"), HasSubstr("0.05 s")));
    }
}

TEST_F(WorldLockTest, AReplacedLockFileIsFollowedSoOldAndNewUsersStillExcludeEachOther) {
    WorldLock longLived(worldFile(), 50ms);
    { auto first = longLived.take(Mode::Exclusive); }

    // The runtime directory is cleaned; a newcomer recreates the file and holds it.
    std::filesystem::remove(lockFile());
    WorldLock newcomer(worldFile(), 0ms);
    {
        auto busy = newcomer.take(Mode::Exclusive);
        EXPECT_THROW(auto clash = longLived.take(Mode::Exclusive), WorldError);
    }

    auto mine = longLived.take(Mode::Exclusive);
    EXPECT_FALSE(isFree(Mode::Shared));
}

TEST_F(WorldLockTest, ARemovedLockFileIsRecreated) {
    WorldLock lock(worldFile(), 0ms);
    { auto first = lock.take(Mode::Shared); }
    std::filesystem::remove(lockFile());
    auto again = lock.take(Mode::Exclusive);
    EXPECT_TRUE(std::filesystem::is_regular_file(lockFile()));
    EXPECT_FALSE(isFree(Mode::Exclusive));
}

TEST_F(WorldLockTest, ALockFileThatIsNotARegularFileIsRefused) {
    ASSERT_EQ(::mkfifo(lockFile().c_str(), 0600), 0);
    WorldLock lock(worldFile(), 0ms);
    EXPECT_THROW(auto hold = lock.take(Mode::Shared), WorldError);
    std::filesystem::remove(lockFile());
    std::filesystem::create_symlink(temp.dir() / "elsewhere", lockFile());
    EXPECT_THROW(auto hold = lock.take(Mode::Shared), WorldError);
    EXPECT_FALSE(std::filesystem::exists(temp.dir() / "elsewhere"));
}

}  // namespace
}  // namespace sim::testing
