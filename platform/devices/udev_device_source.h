// The machine's devices, from udev, in the device tree the registry and
// disk-arrival stand-ins serve, in the shape enclosure detection expects:
//
//   <pci bridge>                              every PCI function: "pci<vendor>,<device>"
//     pci1b4b,9230   .../0000:05:00.0         subsystem ids as 4-byte little-endian values
//       ata7         .../0000:05:00.0/ata7    the first sysfs level towards the disk
//         sdb        .../block/sdb            the disk's bus node: its bus path
//     thunderbolt-device .../domain0/0-1      below the Thunderbolt host's PCI function
//
// Node paths are sysfs paths; every whole disk (never a partition) becomes a
// disk of the tree with its bus node two levels below its controller. Disks
// without a PCI controller (loop, device-mapper) are disks without a bus path.
//
// Enumerates once when created; then a run-loop source on a udev monitor
// (pci, block disks, Thunderbolt devices) that keeps the tree in step. A
// removed device is matched by the path kept when it was added: its sysfs
// entry is gone by then. Never writes to sysfs.
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "platform/devices/device_tree.h"
#include "platform/runloop/run_loop.h"

struct udev;
struct udev_device;
struct udev_monitor;

namespace platform::devices {

class UdevDeviceSource final : public RunLoopSource {
  public:
    // Fills `tree` from udev at once. Null, with the reason on `err`, when
    // libudev cannot be used at all; without a monitor (no netlink) the tree
    // is filled once and not followed, which is also said on `err`. `tree`
    // must outlive the source.
    static std::shared_ptr<UdevDeviceSource> create(DeviceTree& tree, std::ostream& err);
    ~UdevDeviceSource() override;
    UdevDeviceSource(const UdevDeviceSource&) = delete;
    UdevDeviceSource& operator=(const UdevDeviceSource&) = delete;

    // The monitor's socket; -1 when hot-plug is not followed.
    int fd() const override;
    // Applies every event waiting on the monitor.
    void perform() override;

    bool followsHotPlug() const { return monitor_ != nullptr; }

  private:
    struct Private {};

  public:
    UdevDeviceSource(Private, DeviceTree& tree);

  private:
    void enumerate();
    void apply(udev_device* device, std::string_view action);
    NodeId keepPci(udev_device* device, bool unbound);
    void keepDisk(udev_device* device);
    // A "change" of a disk already kept: its model, serial and size again.
    void refreshDisk(udev_device* device, const std::string& syspath);
    void keepThunderbolt(udev_device* device);
    void forget(const std::string& syspath);
    void forgetDisk(const std::string& syspath);
    NodeId keepNode(const std::string& name,
                    const std::string& path,
                    NodeId parent,
                    const PropertyTable& properties);
    NodeId nearestKeptAncestor(std::string_view syspath) const;
    std::string keptPciAbove(std::string_view syspath) const;

    DeviceTree& tree_;
    struct udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::map<std::string, std::string> disks_;  // syspath → kernel name
    std::set<std::string> pciFunctions_;        // syspaths of the PCI nodes
};

}  // namespace platform::devices
