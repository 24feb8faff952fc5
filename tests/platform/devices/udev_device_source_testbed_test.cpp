#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <sstream>

#include "app/enclosure_detection.h"
#include "platform/devices/device_facts.h"
#include "platform/devices/registry.h"
#include "platform/devices/thunderbolt_tunnel.h"
#include "platform/devices/udev_device_source.h"
#include "platform/runloop/virtual_time_driver.h"
#include "tests/support/machine_recordings.h"
#include "tests/support/umockdev_testbed.h"

namespace {

namespace devices = platform::devices;
namespace facts = platform::devices::facts;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// The udev source on a testbed, watched the way enclosure detection watches
// the tree: first-match and terminate notifications for the enclosure's
// controller, whole disks appearing (checked with isEnclosureDisk) and going.
class UdevDeviceSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(UmockdevTestbed::preloaded()) << "run with LD_PRELOAD=libumockdev-preload.so.0";
    }
    void TearDown() override {
        for (devices::Iterator iterator : {matched_, terminated_}) {
            devices::objectRelease(iterator);
        }
    }

    // Starts the source on what the testbed holds now and begins to listen.
    void start() {
        std::ostringstream problems;
        source = devices::UdevDeviceSource::create(tree, problems);
        ASSERT_NE(source, nullptr) << problems.str();
        EXPECT_TRUE(source->followsHotPlug()) << problems.str();
        EXPECT_EQ(problems.str(), "");
        loop().addSource(source, platform::kCommonModes);

        port_ = devices::notificationPortCreate();
        loop().addSource(devices::notificationPortGetRunLoopSource(port_), platform::kCommonModes);
        auto matching = devices::serviceNameMatching(enclosure::kServiceName);
        matching->addPropertyMatch({{enclosure::kSubsystemVendorKey, enclosure::kSubsystemVendorID},
                                    {enclosure::kSubsystemKey, enclosure::kSubsystemID}});
        devices::addMatchingNotification(
            port_, devices::NotificationType::FirstMatch, matching,
            [this](void*, devices::Iterator it) { drain(it, "controller matched"); }, nullptr,
            &matched_);
        drain(matched_, "controller matched");
        devices::addMatchingNotification(
            port_, devices::NotificationType::Terminate, matching,
            [this](void*, devices::Iterator it) { drain(it, "controller terminated"); }, nullptr,
            &terminated_);
        drain(terminated_, "controller terminated");

        session_ = devices::DiskArrivalSession::create();
        session_->registerDiskAppearedCallback(
            devices::DiskMatch::WholeMedia,
            [this](const devices::DiskRef& disk, void*) {
                log.push_back("appeared " + disk->bsdName() +
                              (isEnclosureDisk(disk) ? " (enclosure)" : ""));
            },
            nullptr);
        session_->registerDiskDisappearedCallback(
            devices::DiskMatch::WholeMedia,
            [this](const devices::DiskRef& disk, void*) {
                log.push_back("disappeared " + disk->bsdName());
            },
            nullptr);
        session_->scheduleWithRunLoop(loop(), platform::Mode::Default);
        driver.runUntilIdle();
    }

    // What the run loop does when the monitor's socket becomes readable.
    void settle() {
        pollfd watch{source->fd(), POLLIN, 0};
        if (::poll(&watch, 1, 0) == 1) {
            source->signal();
        }
        driver.runUntilIdle();
    }

    platform::RunLoop& loop() { return driver.runLoop(); }
    std::optional<devices::NodeInfo> nodeAt(const std::string& path) const {
        return tree.node(tree.nodeAtPath(path));
    }
    std::optional<std::string> text(const std::string& path, const char* key) const {
        const auto node = nodeAt(path);
        if (!node || !node->properties.contains(key)) {
            return std::nullopt;
        }
        return facts::textOf(node->properties.at(key));
    }

    UmockdevTestbed testbed;
    platform::VirtualTimeDriver driver;
    devices::DeviceTree tree;
    devices::DeviceTree::Scope scope{tree};
    std::shared_ptr<devices::UdevDeviceSource> source;
    std::vector<std::string> log;

  private:
    void drain(devices::Iterator iterator, const char* what) {
        int count = 0;
        for (auto service = devices::iteratorNext(iterator); service != devices::kNoHandle;
             service = devices::iteratorNext(iterator)) {
            devices::objectRelease(service);
            ++count;
        }
        if (count > 0) {
            log.push_back(what);
        }
    }

    devices::NotificationPortRef port_;
    devices::Iterator matched_ = devices::kNoHandle;
    devices::Iterator terminated_ = devices::kNoHandle;
    devices::DiskArrivalSessionRef session_;
};

TEST_F(UdevDeviceSourceTest, AnEnclosureBehindThunderboltIsFoundWithExactlyItsTwoWholeDisks) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1") +
                recordings::enclosurePci());
    start();

    EXPECT_THAT(log, ElementsAre("controller matched", "appeared sdb (enclosure)",
                                 "appeared sdc (enclosure)"));
    EXPECT_THAT(tree.disks(), ElementsAre("sdb", "sdc"));

    const auto controller = nodeAt(recordings::kEnclosureController);
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->name, "pci1b4b,9230");
    EXPECT_EQ(controller->properties.at(facts::kVendorId), (devices::Bytes{0x4B, 0x1B, 0, 0}));
    EXPECT_EQ(controller->properties.at(facts::kDeviceId), (devices::Bytes{0x30, 0x92, 0, 0}));
    EXPECT_EQ(text(recordings::kEnclosureController, facts::kPciSlot), "0000:08:00.0");
    EXPECT_EQ(text(recordings::kEnclosureController, facts::kDriver), "ahci");
    EXPECT_EQ(text(recordings::kEnclosureDisk1, facts::kModel), "EXAMPLE HDD 2TB");
    EXPECT_EQ(text(recordings::kEnclosureDisk2, facts::kSerial), "WX11A0000002");
    EXPECT_EQ(facts::fromLittleEndian(
                  nodeAt(recordings::kEnclosureDisk1)->properties.at(facts::kSizeBytes)),
              recordings::kDiskSectors * 512);
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller->id),
              tree.nodeAtPath(recordings::kThunderboltDevice));
}

TEST_F(UdevDeviceSourceTest,
       AMotherboardPortWithTheSameChipAUsbStickAndAnNvmeDriveAreNotTheEnclosure) {
    testbed.add(recordings::foreignDisks());
    start();

    EXPECT_THAT(log, UnorderedElementsAre("appeared sda", "appeared sdd", "appeared nvme0n1"));
    // Same name as the enclosure's controller; only its subsystem tells them apart.
    const auto port = nodeAt(recordings::kMotherboardPort);
    ASSERT_TRUE(port);
    EXPECT_EQ(port->name, enclosure::kServiceName);
    EXPECT_EQ(port->properties.at(facts::kSubsystemVendorId), (devices::Bytes{0x43, 0x10, 0, 0}));
    EXPECT_EQ(port->properties.at(facts::kSubsystemId), (devices::Bytes{0x94, 0x86, 0, 0}));
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, port->id), devices::kNoNode);
}

TEST_F(UdevDeviceSourceTest, HotPlugGivesTheNotificationsDetectionReliesOnInOrder) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1"));
    start();
    EXPECT_THAT(log, ElementsAre());
    const std::size_t nodesBefore = tree.nodes().size();
    const std::size_t handlesBefore = tree.liveHandleCount();

    testbed.add(recordings::enclosurePci());
    settle();
    EXPECT_THAT(log, ElementsAre("controller matched", "appeared sdb (enclosure)",
                                 "appeared sdc (enclosure)"));

    // The kernel's remove events are read after the sysfs entries are gone.
    log.clear();
    testbed.unplug(recordings::kEnclosureBridges);
    settle();
    EXPECT_THAT(log, ElementsAre("disappeared sdc", "disappeared sdb", "controller terminated"));
    EXPECT_THAT(tree.disks(), ElementsAre());
    EXPECT_EQ(tree.nodeAtPath(recordings::kEnclosureController), devices::kNoNode);
    EXPECT_EQ(tree.nodes().size(), nodesBefore);
    EXPECT_EQ(tree.liveHandleCount(), handlesBefore);

    // And again: a second plug is a new first match.
    log.clear();
    testbed.add(recordings::enclosurePci());
    settle();
    EXPECT_THAT(log, ElementsAre("controller matched", "appeared sdb (enclosure)",
                                 "appeared sdc (enclosure)"));
}

TEST_F(UdevDeviceSourceTest, AThunderboltDeviceWaitsForAuthorizationThenItsEnclosureAppears) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("0"));
    start();
    const auto waiting = nodeAt(recordings::kThunderboltDevice);
    ASSERT_TRUE(waiting);
    EXPECT_TRUE(devices::isWaitingForAuthorization(*waiting));
    EXPECT_EQ(text(recordings::kThunderboltDevice, facts::kDeviceName), "Duo Thunderbolt");
    EXPECT_EQ(text(recordings::kThunderboltDevice, facts::kUniqueId),
              "d1c2b3a4-0000-4e1e-8000-0000000000a1");
    EXPECT_FALSE(devices::isWaitingForAuthorization(*nodeAt(recordings::kHostRouter)));
    // Authorizing is the user's decision, never ours.
    EXPECT_EQ(testbed.attribute(recordings::kThunderboltDevice, "authorized"), "0");

    // The user authorizes it; the tunnel brings the enclosure's PCI functions.
    testbed.setAttribute(recordings::kThunderboltDevice, "authorized", "1");
    testbed.uevent(recordings::kThunderboltDevice, "change");
    testbed.add(recordings::enclosurePci());
    settle();

    EXPECT_FALSE(devices::isWaitingForAuthorization(*nodeAt(recordings::kThunderboltDevice)));
    EXPECT_THAT(log, ElementsAre("controller matched", "appeared sdb (enclosure)",
                                 "appeared sdc (enclosure)"));
    EXPECT_EQ(
        devices::thunderboltDeviceBehind(tree, tree.nodeAtPath(recordings::kEnclosureController)),
        tree.nodeAtPath(recordings::kThunderboltDevice));
}

TEST_F(UdevDeviceSourceTest, AChangedDiskShowsItsNewFactsAndANonsenseSizeIsRefused) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1") +
                recordings::enclosurePci());
    start();
    testbed.setAttribute(recordings::kEnclosureDisk1, "device/model", "EXAMPLE HDD 4TB");
    testbed.setAttribute(recordings::kEnclosureDisk1, "size", "7814037168");
    testbed.uevent(recordings::kEnclosureDisk1, "change");
    // More sectors than 64 bits of bytes hold: no size rather than a wrapped one.
    testbed.setAttribute(recordings::kEnclosureDisk2, "size", "99999999999999999999999");
    testbed.uevent(recordings::kEnclosureDisk2, "change");
    settle();

    EXPECT_EQ(text(recordings::kEnclosureDisk1, facts::kModel), "EXAMPLE HDD 4TB");
    EXPECT_EQ(facts::fromLittleEndian(
                  nodeAt(recordings::kEnclosureDisk1)->properties.at(facts::kSizeBytes)),
              7814037168ULL * 512);
    EXPECT_FALSE(nodeAt(recordings::kEnclosureDisk2)->properties.contains(facts::kSizeBytes));
    EXPECT_THAT(tree.disks(), ElementsAre("sdb", "sdc"));
}

TEST_F(UdevDeviceSourceTest, UnbindingAndBindingTheDriverKeepTheControllerMatched) {
    testbed.add(recordings::thunderboltHost() + recordings::enclosureThunderbolt("1") +
                recordings::enclosurePci());
    start();
    log.clear();

    testbed.uevent(recordings::kEnclosureController, "unbind");
    settle();
    EXPECT_EQ(text(recordings::kEnclosureController, facts::kDriver), std::nullopt);

    testbed.uevent(recordings::kEnclosureController, "bind");
    settle();
    EXPECT_EQ(text(recordings::kEnclosureController, facts::kDriver), "ahci");
    EXPECT_THAT(log, ElementsAre());
}

}  // namespace
