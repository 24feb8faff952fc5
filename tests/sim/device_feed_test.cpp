// The device feed: world changes become exactly the registry and disk-arrival
// notifications that enclosure detection listens for.
#include "sim/feed/device_feed.h"

#include <gmock/gmock.h>
#include <poll.h>

#include "platform/devices/device_tree.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"
#include "platform/runloop/virtual_time_driver.h"
#include "sim_test_support.h"

namespace sim::testing {
namespace {

namespace devices = platform::devices;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const devices::Bytes kSubsystemVendor{0x4B, 0x1B, 0x00, 0x00};
const devices::Bytes kSubsystem{0x30, 0x92, 0x00, 0x00};

// Whether the disk sits behind the enclosure's controller, judged as
// detection judges it: two levels up from its bus node.
bool isEnclosureDisk(const devices::DiskRef& disk) {
    auto description = devices::diskCopyDescription(disk);
    if (!description || !description->busPath) {
        return false;
    }
    const auto entry = devices::registryEntryFromPath(*description->busPath);
    const auto parent = devices::registryEntryGetParentEntry(entry, devices::kDeviceTreePlane);
    const auto controller = devices::registryEntryGetParentEntry(parent, devices::kDeviceTreePlane);
    const bool match =
        devices::registryEntryCreateProperty(controller, "subsystem-vendor-id") ==
            kSubsystemVendor &&
        devices::registryEntryCreateProperty(controller, "subsystem-id") == kSubsystem;
    for (auto handle : {entry, parent, controller}) {
        if (handle != devices::kNoHandle) {
            devices::objectRelease(handle);
        }
    }
    return match;
}

class Feed : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(command(world.file(), {"reset"}).status, 0);
        feed = DeviceFeed::create(std::make_shared<WorldStore>(world.file()), tree);
        ASSERT_GE(feed->fd(), 0);
        loop().addSource(feed, platform::kCommonModes);

        port = devices::notificationPortCreate();
        loop().addSource(devices::notificationPortGetRunLoopSource(port), platform::kCommonModes);
        auto matching = devices::serviceNameMatching("pci1b4b,9230");
        matching->addPropertyMatch(
            {{"subsystem-vendor-id", kSubsystemVendor}, {"subsystem-id", kSubsystem}});
        devices::addMatchingNotification(
            port, devices::NotificationType::FirstMatch, matching,
            [this](void*, devices::Iterator it) { events.push_back("matched " + drain(it)); },
            nullptr, &matched);
        EXPECT_EQ(drain(matched), "1") << "the enclosure is there from the start";
        devices::addMatchingNotification(
            port, devices::NotificationType::Terminate, matching,
            [this](void*, devices::Iterator it) { events.push_back("terminated " + drain(it)); },
            nullptr, &terminated);
        drain(terminated);

        session = devices::DiskArrivalSession::create();
        session->registerDiskAppearedCallback(
            devices::DiskMatch::WholeMedia,
            [this](const devices::DiskRef& disk, void*) {
                events.push_back(isEnclosureDisk(disk) ? "appeared enclosure disk"
                                                       : "appeared other disk");
            },
            nullptr);
        session->registerDiskDisappearedCallback(
            devices::DiskMatch::WholeMedia,
            [this](const devices::DiskRef&, void*) { events.push_back("disappeared"); }, nullptr);
        session->scheduleWithRunLoop(loop(), platform::Mode::Default);
        driver.runUntilIdle();
        EXPECT_THAT(events, ElementsAre("appeared enclosure disk", "appeared enclosure disk"));
    }

    void TearDown() override {
        session->unscheduleFromRunLoop();
        devices::objectRelease(matched);
        devices::objectRelease(terminated);
        loop().removeSource(devices::notificationPortGetRunLoopSource(port));
        devices::notificationPortDestroy(port);
        loop().removeSource(feed);
    }

    platform::RunLoop& loop() { return driver.runLoop(); }

    std::string drain(devices::Iterator it) {
        int count = 0;
        while (auto entry = devices::iteratorNext(it)) {
            devices::objectRelease(entry);
            ++count;
        }
        return std::to_string(count);
    }

    // Changes the world with norvik-sim and lets the feed and the stand-ins
    // deliver what follows from it.
    std::vector<std::string> after(std::vector<std::string> args) {
        auto result = command(world.file(), std::move(args));
        EXPECT_EQ(result.status, 0) << result.err;
        return deliver();
    }

    std::vector<std::string> deliver() {
        events.clear();
        pollfd watched{feed->fd(), POLLIN, 0};
        if (::poll(&watched, 1, 0) == 1) {
            feed->perform();  // what the run loop does for a readable source
        }
        driver.runUntilIdle();
        return events;
    }

    TempWorld world;
    devices::DeviceTree tree;
    devices::DeviceTree::Scope scope{tree};
    platform::VirtualTimeDriver driver;
    std::shared_ptr<DeviceFeed> feed;
    devices::NotificationPortRef port;
    devices::Iterator matched = devices::kNoHandle;
    devices::Iterator terminated = devices::kNoHandle;
    devices::DiskArrivalSessionRef session;
    std::vector<std::string> events;
};

TEST_F(Feed, UnplugTerminatesTheControllerAndRemovesItsDisks) {
    EXPECT_THAT(after({"unplug"}),
                UnorderedElementsAre("terminated 1", "disappeared", "disappeared"));
    EXPECT_THAT(tree.disks(), IsEmpty());
}

TEST_F(Feed, PlugMatchesTheControllerOnceAndBringsItsDisks) {
    after({"unplug"});
    EXPECT_THAT(after({"plug"}), UnorderedElementsAre("matched 1", "appeared enclosure disk",
                                                      "appeared enclosure disk"));
}

TEST_F(Feed, PullAndInsertAreOneDiskEachBehindTheEnclosure) {
    EXPECT_THAT(after({"pull", "1"}), ElementsAre("disappeared"));
    EXPECT_THAT(after({"insert", "1"}), ElementsAre("appeared enclosure disk"));
}

TEST_F(Feed, ADiskSwappedBetweenTwoLooksIsStillANewDisk) {
    ASSERT_EQ(command(world.file(), {"pull", "0"}).status, 0);
    ASSERT_EQ(command(world.file(), {"insert", "0"}).status, 0);
    EXPECT_THAT(deliver(), UnorderedElementsAre("disappeared", "appeared enclosure disk"));
}

TEST_F(Feed, ForeignDisksHangUnderAnotherController) {
    EXPECT_THAT(after({"foreign", "add", "USB stick"}), ElementsAre("appeared other disk"));
    EXPECT_THAT(after({"foreign", "remove", "USB stick"}), ElementsAre("disappeared"));
}

TEST_F(Feed, AControllerWithAnotherSubsystemIsNotTheEnclosure) {
    after({"unplug"});
    WorldStore(world.file()).update([](World& w) {
        w.enclosures[0].identity.subsystemId = 0x9231;
        return true;
    });
    EXPECT_THAT(after({"plug"}),
                UnorderedElementsAre("appeared other disk", "appeared other disk"));
}

TEST_F(Feed, ChangesThatConcernNoDeviceAndUnreadableWorldsPostNothing) {
    EXPECT_THAT(after({"rebuild-time", "30"}), IsEmpty());
    EXPECT_THAT(after({"fault", "MV_LD_GetStatus", "--throw"}), IsEmpty());
    const auto disks = tree.disks();
    world.write("not json");
    EXPECT_THAT(deliver(), IsEmpty());
    EXPECT_EQ(tree.disks(), disks);
    EXPECT_FALSE(feed->sync());
}

}  // namespace
}  // namespace sim::testing
