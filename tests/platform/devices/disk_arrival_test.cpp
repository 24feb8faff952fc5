#include "platform/devices/disk_arrival.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/devices/device_tree.h"
#include "platform/runloop/virtual_time_driver.h"

namespace platform::devices {
namespace {

struct Recorder {
    std::vector<std::string> events;
    static void appeared(const DiskRef& disk, void* context) {
        static_cast<Recorder*>(context)->events.push_back("+" + disk->bsdName());
    }
    static void disappeared(const DiskRef& disk, void* context) {
        static_cast<Recorder*>(context)->events.push_back("-" + disk->bsdName());
    }
};

class DiskArrivalTest : public ::testing::Test {
  protected:
    DiskArrivalSessionRef openSession() {
        auto session = DiskArrivalSession::create();
        session->registerDiskAppearedCallback(DiskMatch::WholeMedia, &Recorder::appeared,
                                              &recorder_);
        session->registerDiskDisappearedCallback(DiskMatch::WholeMedia, &Recorder::disappeared,
                                                 &recorder_);
        return session;
    }

    DeviceTree tree_;
    DeviceTree::Scope scope_{tree_};
    VirtualTimeDriver driver_;
    Recorder recorder_;
};

TEST_F(DiskArrivalTest, DisksPresentWhenScheduledAreReportedAsAppeared) {
    tree_.addDisk("sda", "IODeviceTree:/ctl/port@0");
    tree_.addDisk("sdb", "IODeviceTree:/ctl/port@1");
    auto session = openSession();
    driver_.runUntilIdle();
    EXPECT_TRUE(recorder_.events.empty()) << "nothing before scheduling";

    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    EXPECT_TRUE(recorder_.events.empty()) << "delivered through the run loop only";
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"+sda", "+sdb"}));
}

TEST_F(DiskArrivalTest, WholeDisksComeAndGoPartitionsDoNot) {
    auto session = openSession();
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    tree_.addDisk("sdc", "/bus");
    tree_.addDisk("sdc1", "/bus", /*whole=*/false);
    tree_.removeDisk("sdc1");
    tree_.removeDisk("sdc");
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"+sdc", "-sdc"}));
}

TEST_F(DiskArrivalTest, AnyMatchSeesPartitionsToo) {
    auto session = DiskArrivalSession::create();
    session->registerDiskAppearedCallback(DiskMatch::Any, &Recorder::appeared, &recorder_);
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    tree_.addDisk("sdc1", "/bus", /*whole=*/false);
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"+sdc1"});
}

TEST_F(DiskArrivalTest, EventsWaitOutAModalRunInTheDefaultMode) {
    auto session = openSession();
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    {
        RunLoop::ModeScope modal(driver_.runLoop(), Mode::ModalPanel);
        tree_.addDisk("sdd", "/bus");
        driver_.runUntilIdle();
        EXPECT_TRUE(recorder_.events.empty());
    }
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"+sdd"});
}

TEST_F(DiskArrivalTest, DescriptionCarriesTheBusPathAndOutlivesTheDisk) {
    DiskRef seen;
    auto session = DiskArrivalSession::create();
    session->registerDiskDisappearedCallback(
        DiskMatch::WholeMedia, [&seen](const DiskRef& disk, void*) { seen = disk; }, nullptr);
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    tree_.addDisk("sde", "IODeviceTree:/PCI0@0/pci1b4b,9230@0/port@0");
    tree_.removeDisk("sde");
    driver_.runUntilIdle();
    const auto description = diskCopyDescription(seen);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->bsdName, "sde");
    EXPECT_EQ(description->busPath, "IODeviceTree:/PCI0@0/pci1b4b,9230@0/port@0");
    EXPECT_TRUE(description->mediaWhole);

    tree_.addDisk("sdf", "");
    EXPECT_EQ(diskCopyDescription(std::make_shared<const Disk>("x", "", true))->busPath,
              std::nullopt);
    EXPECT_EQ(diskCopyDescription(nullptr), std::nullopt);
}

TEST_F(DiskArrivalTest, UnscheduledOrDestroyedSessionDeliversNothing) {
    auto session = openSession();
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    tree_.addDisk("sda", "/bus");
    session->unscheduleFromRunLoop();
    EXPECT_FALSE(driver_.runLoop().containsSource(nullptr));
    EXPECT_EQ(session->pendingEventCount(), 0u);
    driver_.runUntilIdle();
    EXPECT_TRUE(recorder_.events.empty());

    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    tree_.addDisk("sdb", "/bus");
    session.reset();
    driver_.runUntilIdle();
    EXPECT_TRUE(recorder_.events.empty());
}

TEST_F(DiskArrivalTest, CallbackRegisteredOnAScheduledSessionHearsOfPresentDisks) {
    tree_.addDisk("sda", "/bus");
    auto session = DiskArrivalSession::create();
    session->scheduleWithRunLoop(driver_.runLoop(), Mode::Default);
    session->registerDiskAppearedCallback(DiskMatch::WholeMedia, &Recorder::appeared, &recorder_);
    driver_.runUntilIdle();
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"+sda"});
}

TEST(DiskArrival, SessionOutlivingItsTreeAndLoopIsHarmless) {
    DiskArrivalSessionRef session;
    Recorder recorder;
    {
        DeviceTree tree;
        DeviceTree::Scope scope(tree);
        VirtualTimeDriver driver;
        session = DiskArrivalSession::create();
        session->registerDiskAppearedCallback(DiskMatch::WholeMedia, &Recorder::appeared,
                                              &recorder);
        session->scheduleWithRunLoop(driver.runLoop(), Mode::Default);
        tree.addDisk("sda", "/bus");
    }
    session->unscheduleFromRunLoop();
    session.reset();
    EXPECT_TRUE(recorder.events.empty());
}

TEST(DeviceTree, RejectsDuplicateAndEmptyDiskNames) {
    DeviceTree tree;
    EXPECT_TRUE(tree.addDisk("sda", "/bus"));
    EXPECT_FALSE(tree.addDisk("sda", "/other"));
    EXPECT_FALSE(tree.addDisk("", "/bus"));
    EXPECT_FALSE(tree.removeDisk("sdz"));
    EXPECT_EQ(tree.disks(), std::vector<std::string>{"sda"});
}

}  // namespace
}  // namespace platform::devices
