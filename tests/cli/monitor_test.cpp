#include "cli/monitor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/library_binding.h"
#include "model/model_clock.h"
#include "platform/controls/bundle.h"
#include "platform/devices/device_tree.h"
#include "platform/runloop/virtual_time_driver.h"
#include "sim/enclosure_rules.h"
#include "sim/feed/device_feed.h"
#include "sim/simulated_library.h"
#include "tests/sim/sim_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::StartsWith;
using namespace std::chrono_literals;

// The monitor on the in-process simulator and its device feed, in virtual
// time: the hardware changes when the test says so, and time moves only
// when the test moves it.
class MonitorSession : public ::testing::Test {
  protected:
    MonitorSession() {
        store_ = std::make_shared<sim::WorldStore>(world_.file());
        sim::World w = sim::makeWorld(sim::Layout::Raid1, 1);
        w.rebuildSeconds = 600;
        store_->replace(w);
        library_ = std::make_shared<sim::SimulatedLibrary>(store_, driver_.clock());
        feed_ = sim::DeviceFeed::create(store_, tree_);
        monitor_ = cli::Monitor::create(driver_.runLoop(), 60s);
        monitor_->onEvent([this](const cli::Event& e) {
            if (!e.progressUpdate) {
                events_.push_back(std::string(e.reminder ? "again: " : "") +
                                  cli::eventName(e.kind) + " " + e.subject +
                                  (e.detail.empty() ? "" : " | " + e.detail));
            } else {
                updates_.push_back(e);
            }
        });
        monitor_->onReading([this](const EnclosureReading&) { ++readings_; });
    }
    ~MonitorSession() override {
        monitor_->stop();
        feed_.reset();
    }

    // Changes the hardware, as norvik-sim would, and lets the feed see it.
    void hardware(const std::function<void(sim::Enclosure&)>& change) {
        store_->update([&](sim::World& w) {
            change(w.enclosures.at(0));
            return true;
        });
        feed_->sync();
    }
    sim::Nanoseconds now() const { return driver_.now().time_since_epoch().count(); }

    sim::testing::TempWorld world_;
    platform::VirtualTimeDriver driver_;
    platform::devices::DeviceTree tree_;
    platform::devices::DeviceTree::Scope treeScope_{tree_};
    platform::Bundle strings_{NORVIK_RESOURCES_DIR, "en"};
    platform::Bundle::ScopedMainBundle stringsScope_{strings_};
    std::shared_ptr<sim::WorldStore> store_;
    std::shared_ptr<sim::SimulatedLibrary> library_;
    std::shared_ptr<sim::DeviceFeed> feed_;
    std::shared_ptr<cli::Monitor> monitor_;
    std::vector<std::string> events_;
    std::vector<cli::Event> updates_;
    int readings_ = 0;
};

TEST_F(MonitorSession, PullInsertRebuildToTheEndAndUnplugGiveTheirEventsInOrder) {
    ScopedControllerLibrary bound(library_);
    monitor_->start();
    driver_.runUntilIdle();
    EXPECT_THAT(events_, ElementsAre());  // a healthy start says nothing
    const int atStart = readings_;

    // The hot-plug events bring a reading a second later, not a minute.
    hardware([](sim::Enclosure& e) { sim::pullDisk(e, 1); });
    driver_.fastForwardBy(1s);
    EXPECT_THAT(events_, ElementsAre("disk-removed controller0:slot1 | slot 1, NORVIK ND2T-S, "
                                     "serial NVD7K30001",
                                     "volume-degraded Norvik Duo | slot 1, NORVIK ND2T-S, "
                                     "serial NVD7K30001"));
    events_.clear();

    hardware([&](sim::Enclosure& e) {
        sim::insertDisk(e, sim::makeBlankDisk(0, 1, sim::kDefaultDiskBytes, 7), now());
    });
    driver_.fastForwardBy(1s);
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_THAT(events_[0], ::testing::StartsWith("disk-added controller0:slot1 | slot 1"));
    EXPECT_EQ(events_[1], "rebuild-started Norvik Duo | slot 1");
    events_.clear();

    // Readings at the interval follow the ten-minute rebuild, telling each
    // fifth of the way once; once its rate is steady (three steps: at 3 min)
    // the time left is told once, as an update of the rebuild's message.
    driver_.fastForwardBy(5min);
    EXPECT_THAT(events_, ElementsAre(MatchesRegex("rebuild-progress Norvik Duo \\| [23][0-9]%.*"),
                                     MatchesRegex("rebuild-progress Norvik Duo \\| [45][0-9]%, "
                                                  "[0-9]+ s left")));
    events_.clear();
    ASSERT_EQ(updates_.size(), 1u);
    ASSERT_TRUE(updates_[0].secondsRemaining);
    EXPECT_NEAR(static_cast<double>(*updates_[0].secondsRemaining), 10 * 60 - 3 * 60, 30);
    EXPECT_EQ(updates_[0].slot, 1);

    driver_.fastForwardBy(6min);
    EXPECT_THAT(events_, ElementsAre(StartsWith("rebuild-progress Norvik Duo | 6"),
                                     StartsWith("rebuild-progress Norvik Duo | 8"),
                                     "rebuild-finished Norvik Duo | functional",
                                     "volume-healthy Norvik Duo"));
    events_.clear();

    hardware([](sim::Enclosure& e) { e.plugged = false; });
    driver_.fastForwardBy(1s);
    EXPECT_THAT(events_, ElementsAre("enclosure-removed controller0"));
    EXPECT_GT(readings_, atStart);
}

TEST_F(MonitorSession, WithoutChangesItOnlyWakesAtTheInterval) {
    ScopedControllerLibrary bound(library_);
    monitor_->start();
    driver_.runUntilIdle();
    const int first = readings_;
    // An hour: one reading a minute, nothing else due in between.
    for (int minute = 1; minute <= 60; ++minute) {
        const auto next = driver_.runLoop().nextDeadline();
        ASSERT_TRUE(next);
        EXPECT_EQ(*next - driver_.now(), 60s - (driver_.now().time_since_epoch() % 60s));
        driver_.fastForwardBy(60s);
    }
    EXPECT_EQ(readings_ - first, 60);
    EXPECT_THAT(events_, ElementsAre());
}

TEST_F(MonitorSession, ADegradedVolumeAtStartIsReportedAtOnce) {
    hardware([](sim::Enclosure& e) { sim::pullDisk(e, 0); });
    ScopedControllerLibrary bound(library_);
    EXPECT_EQ(monitor_->readNow(), cli::Health::Degraded);
    // The pulled disk was never seen, so nothing says which one to replace.
    EXPECT_THAT(events_, ElementsAre("volume-degraded Norvik Duo"));
}

TEST_F(MonitorSession, AStripeThatLosesADiskGoesOffline) {
    store_->replace(sim::makeWorld(sim::Layout::Raid0, 1));
    ScopedControllerLibrary bound(library_);
    monitor_->readNow();
    hardware([](sim::Enclosure& e) { sim::pullDisk(e, 0); });
    EXPECT_EQ(monitor_->readNow(), cli::Health::Failed);
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_THAT(events_[1], ::testing::StartsWith("volume-offline Norvik Duo | slot 0"));
}

TEST_F(MonitorSession, PluggingTheEnclosureInIsAnEventAndNotifiesAboutItsVolumes) {
    hardware([](sim::Enclosure& e) { e.plugged = false; });
    ScopedControllerLibrary bound(library_);
    EXPECT_EQ(monitor_->readNow(), cli::Health::Unknown);
    hardware([](sim::Enclosure& e) {
        e.plugged = true;
        sim::pullDisk(e, 1);
    });
    monitor_->readNow();
    EXPECT_THAT(events_, ElementsAre("enclosure-added controller0", "volume-degraded Norvik Duo"));
}

TEST_F(MonitorSession, AProblemIsToldAgainAtTheRemindIntervalUntilTheVolumeIsHealthy) {
    struct Case {
        platform::Duration remind;
        std::size_t toldAgainIn48h;  // and the minute a reading may be late
    };
    const Case cases[] = {{24h, 2}, {6h, 8}, {0h, 0}};
    ScopedControllerLibrary bound(library_);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::chrono::duration_cast<std::chrono::hours>(c.remind).count());
        store_->replace(sim::makeWorld(sim::Layout::Raid1, 1));
        feed_->sync();
        monitor_->stop();
        monitor_ = cli::Monitor::create(driver_.runLoop(), 60s);
        std::vector<cli::Event> told;
        monitor_->onEvent([&](const cli::Event& e) { told.push_back(e); });
        monitor_->setRemindInterval(c.remind);
        monitor_->start();
        hardware([](sim::Enclosure& e) { sim::pullDisk(e, 1); });
        driver_.fastForwardBy(1s);
        told.clear();

        driver_.fastForwardBy(48h + 1min);
        ASSERT_EQ(told.size(), c.toldAgainIn48h);
        for (const cli::Event& e : told) {
            EXPECT_TRUE(e.reminder);
            EXPECT_EQ(e.kind, cli::EventKind::VolumeDegraded);
            ASSERT_TRUE(e.disk);  // the disk to replace, as first told
            EXPECT_EQ(e.disk->slot, 1);
        }

        // Repaired: the rebuild and the healthy volume end the reminders.
        hardware([&](sim::Enclosure& e) {
            sim::insertDisk(e, sim::makeBlankDisk(0, 1, sim::kDefaultDiskBytes, 7), now());
        });
        driver_.fastForwardBy(15min);
        told.clear();
        driver_.fastForwardBy(48h);
        EXPECT_THAT(told, ElementsAre());
    }
}

TEST_F(MonitorSession, ATestEventGoesOutPerVolumeOrForWhatThereIs) {
    struct Case {
        bool plugged;
        const char* told;
    };
    const Case cases[] = {{true, "test Norvik Duo"}, {false, "test controller-library"}};
    ScopedControllerLibrary bound(library_);
    for (const Case& c : cases) {
        hardware([&](sim::Enclosure& e) { e.plugged = c.plugged; });
        monitor_->readNow();
        events_.clear();
        monitor_->sendTestEvents();
        EXPECT_THAT(events_, ElementsAre(c.told));
    }
}

}  // namespace
