// One user's afternoon with the enclosure, end to end on the in-process
// simulator and its device feed: a disk fails, a new one goes in, the mirror
// is rebuilt, the enclosure is reconfigured and finally unplugged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "sim/enclosure_rules.h"
#include "sim/feed/device_feed.h"
#include "sim/simulated_library.h"
#include "sim/world_store.h"
#include "tests/support/app_harness.h"

using testing::ElementsAre;

namespace {

class SimulatorJourney : public testing::Test {
  protected:
    SimulatorJourney()
        : dir_(std::filesystem::temp_directory_path() /
               ("norvik-journey-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
        store_ = std::make_shared<sim::WorldStore>(dir_ / "world.json");
        sim::World world = sim::makeWorld(sim::Layout::Raid1, 1);
        world.enclosures[0].autoRebuild = false;  // the user starts the rebuild
        world.rebuildSeconds = 100;
        store_->replace(world);
        library_ = std::make_shared<sim::SimulatedLibrary>(store_, h.driver.clock());
        feed_ = sim::DeviceFeed::create(store_, h.tree);
    }
    ~SimulatorJourney() override {
        feed_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    void hardware(const std::function<void(sim::Enclosure&)>& change) {
        store_->update([&](sim::World& world) {
            change(world.enclosures.at(0));
            return true;
        });
        feed_->sync();
    }
    sim::Nanoseconds now() const {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   h.driver.now().time_since_epoch())
            .count();
    }

    AppHarness h;
    std::filesystem::path dir_;
    std::shared_ptr<sim::WorldStore> store_;
    std::shared_ptr<sim::SimulatedLibrary> library_;
    std::shared_ptr<sim::DeviceFeed> feed_;
};

TEST_F(SimulatorJourney, DiskFailsIsReplacedRebuiltReconfiguredAndUnplugged) {
    ScopedControllerLibrary bound(library_);
    h.launchAndSettle();

    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("Norvik Duo Thunderbolt"));
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Norvik Duo"));
    EXPECT_EQ(h.ui.type->stringValue(), "LD_MODE_RAID1");
    EXPECT_EQ(h.ui.capacity->stringValue(), "2 TB");
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_FUNCTIONAL");
    EXPECT_EQ(h.ui.disks->stringValue(), "0, 1");
    EXPECT_EQ(h.icon(), "icon_healthcheck_ok");

    // The disk in slot 1 fails and is pulled: one update a second later.
    hardware([](sim::Enclosure& e) { sim::pullDisk(e, 1); });
    h.advance(1);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_DEGRADE");
    EXPECT_EQ(h.ui.disks->stringValue(), "0");
    EXPECT_TRUE(h.ui.rebuildButton->isEnabled());
    EXPECT_EQ(h.icon(), "icon_healthcheck_warning");

    // A blank disk goes in: it appears behind the enclosure and is listed.
    hardware([&](sim::Enclosure& e) {
        sim::insertDisk(e, sim::makeBlankDisk(0, 1, sim::kDefaultDiskBytes, 7), now());
    });
    h.advance(1);
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Norvik Duo", "DISK_2"));

    // The user rebuilds onto it.
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    EXPECT_TRUE(h.ui.rebuildButton->performClick());
    EXPECT_EQ(h.alerts->shown()[0].informativeText, "WARNING1_REBUILD_BODY DISK_1|DISK_2|DISK_2");
    h.driver.runUntilIdle();
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_REBUILDING (0%)");
    EXPECT_EQ(h.ui.rebuildButton->title(), "CANCEL");
    EXPECT_EQ(h.icon(), "icon_healthcheck_ok");

    // The timer follows the progress without any action.
    h.advance(50);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_REBUILDING (50%)");
    h.advance(60);
    EXPECT_EQ(h.ui.status->stringValue(), "LD_STATUS_FUNCTIONAL");
    EXPECT_EQ(h.ui.rebuildButton->title(), "REBUILD");
    EXPECT_FALSE(h.ui.rebuildButton->isEnabled());

    // Reconfigured as one fast volume.
    ASSERT_TRUE(h.ui.configButton->performClick());
    h.ui.raidPicker->userSelectCellAtIndex(0);
    h.ui.name->userReplaceCharacters({0, h.ui.name->length()}, "Scratch space 2026");
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertSecondButtonReturn);
    h.alerts->answer(platform::kAlertFirstButtonReturn);
    h.ui.configNowButton->performClick();
    EXPECT_EQ(h.alerts->shown().back().messageText, "SUCCESS_TITLE");
    h.driver.runUntilIdle();
    EXPECT_THAT(h.titles(*h.ui.picker), ElementsAre("Scratch space 2"));
    EXPECT_EQ(h.ui.type->stringValue(), "LD_MODE_RAID0");
    EXPECT_EQ(h.ui.capacity->stringValue(), "4 TB");
    EXPECT_FALSE(h.delegate->refresh().timer()->isValid());

    // Unplugged: one rescan, and the window says so.
    hardware([](sim::Enclosure& e) { e.plugged = false; });
    h.advance(1);
    EXPECT_THAT(h.titles(*h.ui.devicePicker), ElementsAre("NO_DEVICES_FOUND"));
    EXPECT_FALSE(h.ui.picker->isEnabled());
    EXPECT_FALSE(h.ui.configButton->isEnabled());
    EXPECT_EQ(h.icon(), "icon_healthcheck_wrong");
}

}  // namespace
