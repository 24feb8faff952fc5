#include "sim/feed/device_feed.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>

namespace sim {

using platform::devices::Bytes;
using platform::devices::kNoNode;
using platform::devices::NodeId;
using platform::devices::PropertyTable;

namespace {

constexpr const char* kRootPath = "IODeviceTree:/PCI0@0";

Bytes littleEndian32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

PropertyTable pciProperties(std::uint16_t vendor,
                            std::uint16_t device,
                            std::uint16_t subsystemVendor,
                            std::uint16_t subsystem) {
    return {{"vendor-id", littleEndian32(vendor)},
            {"device-id", littleEndian32(device)},
            {"subsystem-vendor-id", littleEndian32(subsystemVendor)},
            {"subsystem-id", littleEndian32(subsystem)}};
}

std::string pciName(std::uint16_t vendor, std::uint16_t device) {
    char name[32];
    std::snprintf(name, sizeof name, "pci%x,%x", vendor, device);
    return name;
}

std::string enclosureDiskKey(int enclosure, const Disk& disk) {
    return "enclosure " + std::to_string(enclosure) + " slot " + std::to_string(disk.slot) + " " +
           disk.serialNumber;
}

}  // namespace

std::shared_ptr<DeviceFeed> DeviceFeed::create(std::shared_ptr<WorldStore> store,
                                               platform::devices::DeviceTree& tree) {
    std::shared_ptr<DeviceFeed> feed(new DeviceFeed(std::move(store), tree));
    feed->sync();
    return feed;
}

DeviceFeed::DeviceFeed(std::shared_ptr<WorldStore> store, platform::devices::DeviceTree& tree)
    : store_(std::move(store)), tree_(tree) {
    try {
        store_->read();  // makes the directory to watch
    } catch (const std::exception&) {
        // sync() reports an unreadable world; the directory may still be watched.
    }
    watchFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ < 0) {
        return;
    }
    const std::filesystem::path file = store_->file();
    const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
    // Writers rename a finished file over the world; an editor may write in place.
    if (::inotify_add_watch(watchFd_, dir.c_str(),
                            IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM) < 0) {
        ::close(watchFd_);
        watchFd_ = -1;
    }
}

DeviceFeed::~DeviceFeed() {
    if (watchFd_ >= 0) {
        ::close(watchFd_);
    }
}

void DeviceFeed::perform() {
    if (watchFd_ >= 0) {
        alignas(inotify_event) char buffer[4096];
        while (::read(watchFd_, buffer, sizeof buffer) > 0 || errno == EINTR) {
        }
    }
    // Syncing finds no difference when only a temporary file came and went.
    sync();
}

NodeId DeviceFeed::root() {
    if (root_ == kNoNode) {
        root_ = tree_.addNode("PCI0", kRootPath);
    }
    return root_;
}

NodeId DeviceFeed::foreignHost() {
    if (foreignHost_ == kNoNode) {
        foreignHost_ =
            tree_.addNode(pciName(0x1F00, 0x0101), std::string(kRootPath) + "/usb-host@14", root(),
                          pciProperties(0x1F00, 0x0101, 0x1F00, 0x0101));
    }
    return foreignHost_;
}

std::string DeviceFeed::busPathFor(const std::string& key, const WantedDisk& wanted) {
    if (wanted.enclosure >= 0) {
        auto it = enclosures_.find(wanted.enclosure);
        if (it == enclosures_.end()) {
            return {};
        }
        return it->second.controllerPath + "/port@" + std::to_string(wanted.port) + "/disk@0";
    }
    const NodeId host = foreignHost();
    auto host_info = tree_.node(host);
    if (!host_info) {
        return {};
    }
    const std::string portPath =
        host_info->path + "/usb-port@" + std::to_string(nextForeignPort_++);
    const NodeId port = tree_.addNode("usb-port", portPath, host);
    const std::string busPath = portPath + "/usb-disk@0";
    if (port == kNoNode || tree_.addNode("usb-disk", busPath, port) == kNoNode) {
        return {};
    }
    foreignPorts_[key] = port;
    return busPath;
}

bool DeviceFeed::sync() {
    std::shared_ptr<const World> world;
    try {
        world = store_->read();
    } catch (const std::exception&) {
        return false;
    }
    // Someone cleared the tree under us: start from nothing.
    if (root_ != kNoNode && !tree_.node(root_)) {
        root_ = foreignHost_ = kNoNode;
        enclosures_.clear();
        foreignPorts_.clear();
        attached_.clear();
    }

    std::map<std::string, WantedDisk> wanted;
    std::map<int, const Enclosure*> plugged;
    for (std::size_t e = 0; e < world->enclosures.size(); ++e) {
        const Enclosure& enclosure = world->enclosures[e];
        if (!enclosure.plugged) {
            continue;
        }
        plugged[static_cast<int>(e)] = &enclosure;
        for (const auto& disk : enclosure.disks) {
            wanted[enclosureDiskKey(static_cast<int>(e), disk)] = {static_cast<int>(e), disk.slot};
        }
    }
    for (const auto& foreign : world->foreignDisks) {
        wanted["foreign " + foreign.name] = {};
    }

    // Departures first: disks, then their controllers.
    for (auto it = attached_.begin(); it != attached_.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        tree_.removeDisk(it->second);
        if (auto port = foreignPorts_.find(it->first); port != foreignPorts_.end()) {
            tree_.removeNode(port->second);
            foreignPorts_.erase(port);
        }
        it = attached_.erase(it);
    }
    for (auto it = enclosures_.begin(); it != enclosures_.end();) {
        if (plugged.count(it->first)) {
            ++it;
            continue;
        }
        tree_.removeNode(it->second.bridge);
        it = enclosures_.erase(it);
    }

    // Arrivals: controllers, then disks.
    for (const auto& [index, enclosure] : plugged) {
        const ControllerIdentity& id = enclosure->identity;
        const PropertyTable properties =
            pciProperties(id.vendorId, id.deviceId, id.subsystemVendorId, id.subsystemId);
        auto known = enclosures_.find(index);
        if (known != enclosures_.end()) {
            auto node = tree_.node(known->second.controller);
            for (const auto& [key, value] : properties) {
                if (node && node->properties[key] != value) {
                    tree_.setProperty(known->second.controller, key, value);
                }
            }
            continue;
        }
        EnclosureNodes nodes;
        const std::string bridgePath =
            std::string(kRootPath) + "/pci-bridge@" + std::to_string(index);
        nodes.bridge = tree_.addNode("pci-bridge", bridgePath, root());
        nodes.controllerPath = bridgePath + "/pci1b4b,9230@0";
        nodes.controller = tree_.addNode(pciName(id.vendorId, id.deviceId), nodes.controllerPath,
                                         nodes.bridge, properties);
        for (int port = 0; port < id.portCount; ++port) {
            const std::string portPath = nodes.controllerPath + "/port@" + std::to_string(port);
            const NodeId portNode = tree_.addNode("port", portPath, nodes.controller);
            tree_.addNode("disk", portPath + "/disk@0", portNode);
        }
        enclosures_[index] = nodes;
    }
    for (const auto& [key, disk] : wanted) {
        if (attached_.count(key)) {
            continue;
        }
        const std::string busPath = busPathFor(key, disk);
        if (busPath.empty()) {
            continue;
        }
        // BSD names are never reused, so a disk that comes back is a new disk.
        for (int tries = 0; tries < 1000; ++tries) {
            const std::string name = "disk" + std::to_string(nextDiskNumber_++);
            if (tree_.addDisk(name, busPath, true)) {
                attached_[key] = name;
                break;
            }
        }
    }
    return true;
}

}  // namespace sim
