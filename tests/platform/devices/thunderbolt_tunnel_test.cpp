#include "platform/devices/thunderbolt_tunnel.h"

#include <gtest/gtest.h>

#include "platform/devices/device_facts.h"

namespace {

namespace devices = platform::devices;
namespace facts = platform::devices::facts;

// A Thunderbolt host (switch, host interface with its host router) and a
// tunnel port; what each test plugs in hangs below these.
class ThunderboltTunnelTest : public ::testing::Test {
  protected:
    devices::NodeId add(const std::string& path,
                        devices::NodeId parent,
                        const char* name = "pci-bridge") {
        return tree.addNode(name, path, parent);
    }
    devices::NodeId device(const std::string& path,
                           devices::NodeId parent,
                           const char* authorized) {
        devices::PropertyTable properties{{facts::kVendorName, facts::text("Norvik")}};
        if (authorized) {
            properties[facts::kAuthorized] = facts::text(authorized);
        }
        return tree.addNode(facts::kThunderboltDeviceNode, path, parent, properties);
    }

    devices::DeviceTree tree;
    devices::NodeId root = add("/root-port", devices::kNoNode);
    devices::NodeId hostSwitch = add("/root-port/switch", root);
    devices::NodeId hostInterface = add("/root-port/switch/nhi", hostSwitch, "pci8086,15eb");
    devices::NodeId hostRouter = device("/root-port/switch/nhi/0-0", hostInterface, nullptr);
    devices::NodeId tunnel = add("/root-port/switch/tunnel", hostSwitch);
    devices::NodeId controller = add("/root-port/switch/tunnel/ctl", tunnel, "pci1b4b,9230");
};

TEST_F(ThunderboltTunnelTest, TheOneAuthorizedDeviceOfTheHostCarriesTheTunnel) {
    const auto enclosure = device("/root-port/switch/nhi/0-0/0-1", hostRouter, "1");
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller), enclosure);
    EXPECT_FALSE(devices::isWaitingForAuthorization(*tree.node(enclosure)));
}

TEST_F(ThunderboltTunnelTest, NothingIsToldWhenNoDeviceOrSeveralCouldCarryIt) {
    // Only the host router: it is no device of its own.
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller), devices::kNoNode);

    // A device waiting for authorization carries no tunnel.
    const auto waiting = device("/root-port/switch/nhi/0-0/0-1", hostRouter, "0");
    EXPECT_TRUE(devices::isWaitingForAuthorization(*tree.node(waiting)));
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller), devices::kNoNode);

    // Two authorized devices in a chain: which one is the enclosure is not told.
    tree.setProperty(waiting, facts::kAuthorized, facts::text("1"));
    device("/root-port/switch/nhi/0-0/0-1/0-301", waiting, "1");
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller), devices::kNoNode);
}

TEST_F(ThunderboltTunnelTest, ADeviceOfAnotherHostDoesNotCount) {
    const auto otherRoot = add("/other-root", devices::kNoNode);
    const auto otherInterface = add("/other-root/nhi", otherRoot);
    const auto otherHost = device("/other-root/nhi/1-0", otherInterface, nullptr);
    device("/other-root/nhi/1-0/1-1", otherHost, "1");
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, controller), devices::kNoNode);
    // A function on the machine's own root bus sits behind no host at all.
    EXPECT_EQ(devices::thunderboltDeviceBehind(tree, otherRoot), devices::kNoNode);
}

}  // namespace
