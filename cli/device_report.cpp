#include "cli/device_report.h"

#include <algorithm>

#include "model/enclosure_identity.h"
#include "platform/devices/device_facts.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"
#include "platform/devices/thunderbolt_tunnel.h"

namespace cli {

namespace devices = platform::devices;
namespace facts = platform::devices::facts;

namespace {

std::optional<std::string> text(const devices::NodeInfo& node, const char* key) {
    auto it = node.properties.find(key);
    if (it == node.properties.end()) {
        return std::nullopt;
    }
    return facts::textOf(it->second);
}

std::optional<std::uint64_t> number(const devices::NodeInfo& node, const char* key) {
    auto it = node.properties.find(key);
    return it == node.properties.end() ? std::nullopt : facts::fromLittleEndian(it->second);
}

std::uint16_t pciId(const devices::NodeInfo& node, const char* key) {
    return static_cast<std::uint16_t>(number(node, key).value_or(0));
}

bool isEnclosureController(const devices::NodeInfo& node) {
    devices::MatchingDictionary identity(enclosure::kServiceName);
    identity.addPropertyMatch({{enclosure::kSubsystemVendorKey, enclosure::kSubsystemVendorID},
                               {enclosure::kSubsystemKey, enclosure::kSubsystemID}});
    return identity.matches(node.name, node.properties);
}

ThunderboltDevice thunderbolt(const devices::NodeInfo& node) {
    return ThunderboltDevice{text(node, facts::kVendorName).value_or(""),
                             text(node, facts::kDeviceName).value_or(""),
                             text(node, facts::kUniqueId).value_or(""),
                             text(node, facts::kAuthorized).value_or("0") != "0"};
}

// The node two levels above a disk's bus node: its controller, as detection sees it.
devices::NodeId controllerOf(const devices::DeviceTree& tree, const std::string& busPath) {
    devices::NodeId node = tree.nodeAtPath(busPath);
    for (int level = 0; level < 2 && node != devices::kNoNode; ++level) {
        const auto info = tree.node(node);
        node = info ? info->parent : devices::kNoNode;
    }
    return node;
}

}  // namespace

bool kernelNameLess(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

DeviceReport reportDevices(const devices::DeviceTree& tree) {
    DeviceReport report;
    // The disks of the tree, by the controller they hang from.
    std::vector<std::pair<devices::NodeId, EnclosureDisk>> disks;
    for (const auto& name : tree.disks()) {
        const devices::DiskRef disk = tree.disk(name);
        EnclosureDisk entry{name, std::nullopt, std::nullopt, std::nullopt};
        if (const auto bus = tree.node(tree.nodeAtPath(disk->busPath()))) {
            entry.model = text(*bus, facts::kModel);
            entry.serial = text(*bus, facts::kSerial);
            entry.sizeBytes = number(*bus, facts::kSizeBytes);
        }
        disks.emplace_back(controllerOf(tree, disk->busPath()), std::move(entry));
    }

    for (devices::NodeId id : tree.nodes()) {
        const auto node = tree.node(id);
        if (devices::isWaitingForAuthorization(*node)) {
            report.unauthorizedThunderbolt.push_back(thunderbolt(*node));
        }
        if (!isEnclosureController(*node)) {
            continue;
        }
        Enclosure enclosure;
        enclosure.pciSlot = text(*node, facts::kPciSlot);
        enclosure.vendorId = pciId(*node, facts::kVendorId);
        enclosure.deviceId = pciId(*node, facts::kDeviceId);
        enclosure.subsystemVendorId = pciId(*node, facts::kSubsystemVendorId);
        enclosure.subsystemId = pciId(*node, facts::kSubsystemId);
        enclosure.driver = text(*node, facts::kDriver);
        if (const auto tunnel = tree.node(devices::thunderboltDeviceBehind(tree, id))) {
            enclosure.thunderbolt = thunderbolt(*tunnel);
        }
        for (const auto& [controller, disk] : disks) {
            if (controller == id) {
                enclosure.disks.push_back(disk);
            }
        }
        std::sort(enclosure.disks.begin(), enclosure.disks.end(),
                  [](const auto& a, const auto& b) { return kernelNameLess(a.name, b.name); });
        report.enclosures.push_back(std::move(enclosure));
    }
    return report;
}

}  // namespace cli
