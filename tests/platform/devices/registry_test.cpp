#include "platform/devices/registry.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/devices/device_tree.h"
#include "platform/runloop/virtual_time_driver.h"

namespace platform::devices {
namespace {

const Bytes kVendor{0x4B, 0x1B, 0x00, 0x00};
const Bytes kSubsystem{0x30, 0x92, 0x00, 0x00};
const char* kName = "pci1b4b,9230";

// A registration that counts its callbacks and drains like the application does.
struct Listener {
    int callbacks = 0;
    bool drain = true;
    std::vector<std::string> drained;  // names of the services taken

    static void callback(void* context, Iterator iterator) {
        auto* self = static_cast<Listener*>(context);
        ++self->callbacks;
        if (self->drain) {
            self->drainAll(iterator);
        }
    }
    void drainAll(Iterator iterator) {
        while (RegistryEntry entry = iteratorNext(iterator)) {
            drained.push_back(registryEntryGetName(entry));
            EXPECT_EQ(objectRelease(entry), IOReturn::Success);
        }
    }
};

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port_ = notificationPortCreate();
        driver_.runLoop().addSource(notificationPortGetRunLoopSource(port_), kCommonModes);
        matching_ = serviceNameMatching(kName);
        matching_->addPropertyMatch(
            {{"subsystem-vendor-id", kVendor}, {"subsystem-id", kSubsystem}});
    }
    void TearDown() override {
        for (Iterator it : iterators_) {
            objectRelease(it);
        }
        notificationPortDestroy(port_);
        EXPECT_EQ(tree_.liveHandleCount(), 0u) << "handles leaked";
    }

    Iterator watch(NotificationType type, Listener& listener) {
        Iterator it = kNoHandle;
        EXPECT_EQ(
            addMatchingNotification(port_, type, matching_, &Listener::callback, &listener, &it),
            IOReturn::Success);
        iterators_.push_back(it);
        return it;
    }
    NodeId addController(const std::string& path, Bytes subsystem = kSubsystem) {
        return tree_.addNode(kName, path, kNoNode,
                             {{"subsystem-vendor-id", kVendor}, {"subsystem-id", subsystem}});
    }

    DeviceTree tree_;
    DeviceTree::Scope scope_{tree_};
    VirtualTimeDriver driver_;
    NotificationPortRef port_;
    MatchingDictionaryRef matching_;
    std::vector<Iterator> iterators_;
};

TEST_F(RegistryTest, IteratorHoldsServicesAlreadyPresentAndMustBeDrainedToArm) {
    addController("/a");
    Listener listener;
    Iterator it = watch(NotificationType::FirstMatch, listener);

    // Not drained yet: a new arrival queues in the iterator without a callback.
    addController("/b");
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 0);

    listener.drainAll(it);
    EXPECT_EQ(listener.drained.size(), 2u);

    addController("/c");
    EXPECT_EQ(listener.callbacks, 0) << "delivered only through the run loop";
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    EXPECT_EQ(listener.drained.size(), 3u);
}

TEST_F(RegistryTest, SeveralArrivalsBeforeTheLoopRunsGiveOneCallback) {
    Listener listener;
    listener.drainAll(watch(NotificationType::FirstMatch, listener));
    addController("/a");
    addController("/b");
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    EXPECT_EQ(listener.drained.size(), 2u);
}

TEST_F(RegistryTest, UndrainedCallbackIsNotRepeated) {
    Listener listener;
    listener.drain = false;
    Iterator it = watch(NotificationType::FirstMatch, listener);
    listener.drainAll(it);
    addController("/a");
    driver_.runUntilIdle();
    addController("/b");
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    listener.drainAll(it);
    EXPECT_EQ(listener.drained.size(), 2u);
}

TEST_F(RegistryTest, PropertiesMustMatchByteForByte) {
    Listener listener;
    listener.drainAll(watch(NotificationType::FirstMatch, listener));
    addController("/other-subsystem", Bytes{0x31, 0x92, 0x00, 0x00});
    addController("/short-subsystem", Bytes{0x30, 0x92});
    tree_.addNode(kName, "/no-properties");
    tree_.addNode("pci8086,1234", "/other-name", kNoNode,
                  {{"subsystem-vendor-id", kVendor}, {"subsystem-id", kSubsystem}});
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 0);

    // A node that comes to match later counts as first matched, once.
    const NodeId node = tree_.nodeAtPath("/other-subsystem");
    tree_.setProperty(node, "subsystem-id", kSubsystem);
    tree_.setProperty(node, "unrelated", Bytes{1});
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    EXPECT_EQ(listener.drained.size(), 1u);
}

TEST_F(RegistryTest, TerminateReportsRemovedMatchingServicesIncludingDescendants) {
    Listener listener;
    Iterator it = watch(NotificationType::Terminate, listener);
    EXPECT_EQ(iteratorNext(it), kNoHandle);  // nothing yet; arms it

    const NodeId bridge = tree_.addNode("pci-bridge", "/bridge");
    tree_.addNode(kName, "/bridge/ctl", bridge,
                  {{"subsystem-vendor-id", kVendor}, {"subsystem-id", kSubsystem}});
    const NodeId unrelated = tree_.addNode("usb", "/usb");
    tree_.removeNode(unrelated);
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 0);

    tree_.removeNode(bridge);
    EXPECT_EQ(tree_.nodeAtPath("/bridge/ctl"), kNoNode);
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    EXPECT_EQ(listener.drained, std::vector<std::string>{kName});
}

TEST_F(RegistryTest, NotificationsWaitForAModeOfTheirSource) {
    auto port = notificationPortCreate();
    driver_.runLoop().addSource(notificationPortGetRunLoopSource(port), Mode::Default);
    Listener listener;
    Iterator it = kNoHandle;
    addMatchingNotification(port, kFirstMatchNotification, matching_, &Listener::callback,
                            &listener, &it);
    iterators_.push_back(it);
    listener.drainAll(it);
    addController("/a");
    {
        RunLoop::ModeScope modal(driver_.runLoop(), Mode::ModalPanel);
        driver_.runUntilIdle();
        EXPECT_EQ(listener.callbacks, 0);
    }
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 1);
    driver_.runLoop().removeSource(notificationPortGetRunLoopSource(port));
}

TEST_F(RegistryTest, ReleasedIteratorOrDestroyedPortDeliversNothing) {
    Listener released;
    Iterator it = watch(NotificationType::FirstMatch, released);
    released.drainAll(it);
    addController("/a");  // queued on the port, then the iterator goes
    EXPECT_EQ(objectRelease(it), IOReturn::Success);
    EXPECT_EQ(objectRelease(it), IOReturn::BadArgument);  // twice: refused, no crash
    EXPECT_EQ(iteratorNext(it), kNoHandle);
    driver_.runUntilIdle();
    EXPECT_EQ(released.callbacks, 0);

    Listener afterDestroy;
    afterDestroy.drainAll(watch(NotificationType::FirstMatch, afterDestroy));
    addController("/b");
    notificationPortDestroy(port_);
    addController("/c");
    driver_.runUntilIdle();
    EXPECT_EQ(afterDestroy.callbacks, 0);
}

TEST_F(RegistryTest, RegistrationIsASnapshotOfTheMatchingDictionary) {
    Listener listener;
    listener.drainAll(watch(NotificationType::FirstMatch, listener));
    matching_->addPropertyMatch({});  // would match any node of the name from now on
    tree_.addNode(kName, "/plain");
    driver_.runUntilIdle();
    EXPECT_EQ(listener.callbacks, 0);
}

TEST_F(RegistryTest, BadArgumentsAreRefused) {
    Iterator it = 42;
    EXPECT_EQ(serviceNameMatching(""), nullptr);
    EXPECT_EQ(
        addMatchingNotification(nullptr, NotificationType::FirstMatch, matching_, {}, nullptr, &it),
        IOReturn::BadArgument);
    EXPECT_EQ(it, kNoHandle);
    EXPECT_EQ(addMatchingNotification(port_, "IOServiceMatched", matching_, {}, nullptr, &it),
              IOReturn::BadArgument);
    EXPECT_EQ(
        addMatchingNotification(port_, NotificationType::FirstMatch, nullptr, {}, nullptr, &it),
        IOReturn::BadArgument);
    EXPECT_EQ(notificationPortGetRunLoopSource(nullptr), nullptr);
    notificationPortDestroy(nullptr);
}

// The enclosure check walks from a disk's bus node two levels up.
TEST_F(RegistryTest, EntriesByPathParentsAndProperties) {
    const NodeId controller = addController("IODeviceTree:/PCI0@0/pci1b4b,9230@0");
    const NodeId port =
        tree_.addNode("port", "IODeviceTree:/PCI0@0/pci1b4b,9230@0/port@0", controller);
    tree_.addNode("disk", "IODeviceTree:/PCI0@0/pci1b4b,9230@0/port@0/disk@0", port);

    RegistryEntry disk = registryEntryFromPath("IODeviceTree:/PCI0@0/pci1b4b,9230@0/port@0/disk@0");
    ASSERT_NE(disk, kNoHandle);
    RegistryEntry up1 = registryEntryGetParentEntry(disk, kDeviceTreePlane);
    RegistryEntry up2 = kNoHandle;
    EXPECT_EQ(registryEntryGetParentEntry(up1, kDeviceTreePlane, &up2), IOReturn::Success);
    EXPECT_EQ(registryEntryGetName(up2), kName);
    EXPECT_EQ(registryEntryCreateProperty(up2, "subsystem-vendor-id"), kVendor);
    EXPECT_EQ(registryEntryCreateProperty(up2, "subsystem-id"), kSubsystem);
    EXPECT_EQ(registryEntryCreateProperty(up2, "absent"), std::nullopt);

    RegistryEntry none = 7;
    EXPECT_EQ(registryEntryGetParentEntry(up2, kDeviceTreePlane, &none), IOReturn::NotFound);
    EXPECT_EQ(none, kNoHandle);
    EXPECT_EQ(registryEntryGetParentEntry(up1, "IOService"), kNoHandle);
    EXPECT_EQ(registryEntryFromPath("IODeviceTree:/nowhere"), kNoHandle);

    // An entry outlives its node: reads then find nothing, release still works.
    tree_.removeNode(controller);
    EXPECT_EQ(registryEntryCreateProperty(up2, "subsystem-id"), std::nullopt);
    EXPECT_EQ(registryEntryGetParentEntry(disk, kDeviceTreePlane), kNoHandle);
    for (RegistryEntry entry : {disk, up1, up2}) {
        EXPECT_EQ(objectRelease(entry), IOReturn::Success);
    }
    // Stale handles: refused, never crash.
    EXPECT_EQ(registryEntryCreateProperty(up2, "subsystem-id"), std::nullopt);
    EXPECT_EQ(registryEntryGetParentEntry(disk, kDeviceTreePlane), kNoHandle);
    EXPECT_EQ(objectRelease(disk), IOReturn::BadArgument);
    EXPECT_EQ(iteratorNext(disk), kNoHandle);  // an entry is no iterator
    EXPECT_EQ(objectRelease(kNoHandle), IOReturn::BadArgument);
}

TEST(DeviceTree, RejectsDuplicatePathsAndUnknownParents) {
    DeviceTree tree;
    const NodeId root = tree.addNode("root", "/");
    EXPECT_NE(root, kNoNode);
    EXPECT_EQ(tree.addNode("again", "/"), kNoNode);
    EXPECT_EQ(tree.addNode("orphan", "/x", 999999), kNoNode);
    EXPECT_EQ(tree.addNode("empty", ""), kNoNode);
    EXPECT_FALSE(tree.setProperty(999999, "k", {}));
    EXPECT_FALSE(tree.removeNode(999999));
    const NodeId child = tree.addNode("child", "/child", root);
    EXPECT_EQ(tree.children(root), std::vector<NodeId>{child});
    tree.clear();
    EXPECT_TRUE(tree.nodes().empty());
    EXPECT_EQ(tree.nodeAtPath("/child"), kNoNode);
}

}  // namespace
}  // namespace platform::devices
