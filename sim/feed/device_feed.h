// Keeps platform/devices' in-memory tree in step with the world file, so the
// registry and disk-arrival stand-ins announce what the hardware would:
//
//   IODeviceTree:/PCI0@0
//     pci-bridge@<e>                       one per plugged enclosure
//       pci1b4b,9230@0                     "pci1b4b,9230" with the controller's ids
//         port@<slot>/disk@0               bus node of the slot's disk
//     usb-host@14                          "pci1f00,0101", another controller
//       usb-port@<n>/usb-disk@0            bus node of a foreign disk
//
// Each present disk is a whole disk whose bus node lies two levels below its
// controller. It is a run-loop source on an inotify watch of the world's
// directory; without inotify it stays a signalled source (call sync()).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/devices/device_tree.h"
#include "platform/runloop/run_loop.h"
#include "sim/world_store.h"

namespace sim {

class DeviceFeed final : public platform::RunLoopSource {
  public:
    // Brings `tree` in step at once. `tree` must outlive the feed.
    static std::shared_ptr<DeviceFeed> create(std::shared_ptr<WorldStore> store,
                                              platform::devices::DeviceTree& tree);
    ~DeviceFeed() override;
    DeviceFeed(const DeviceFeed&) = delete;
    DeviceFeed& operator=(const DeviceFeed&) = delete;

    int fd() const override { return watchFd_; }
    // Drains the watch and syncs when the world file was replaced or written.
    void perform() override;

    // Updates the tree to the world now; false (and the tree untouched) when
    // the world cannot be read.
    bool sync();

  private:
    DeviceFeed(std::shared_ptr<WorldStore> store, platform::devices::DeviceTree& tree);

    struct EnclosureNodes {
        platform::devices::NodeId bridge = platform::devices::kNoNode;
        platform::devices::NodeId controller = platform::devices::kNoNode;
        std::string controllerPath;
    };
    struct WantedDisk {
        int enclosure = -1;  // -1: foreign
        int port = 0;
    };

    platform::devices::NodeId root();
    platform::devices::NodeId foreignHost();
    std::string busPathFor(const std::string& key, const WantedDisk& wanted);

    std::shared_ptr<WorldStore> store_;
    platform::devices::DeviceTree& tree_;
    int watchFd_ = -1;
    platform::devices::NodeId root_ = platform::devices::kNoNode;
    platform::devices::NodeId foreignHost_ = platform::devices::kNoNode;
    std::map<int, EnclosureNodes> enclosures_;
    std::map<std::string, platform::devices::NodeId> foreignPorts_;  // by disk key
    std::map<std::string, std::string> attached_;                    // disk key → BSD name
    int nextForeignPort_ = 1;
    int nextDiskNumber_ = 2;
};

}  // namespace sim
