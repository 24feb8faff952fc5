#include "platform/devices/thunderbolt_tunnel.h"

#include <set>

#include "platform/devices/device_facts.h"

namespace platform::devices {
namespace {

bool isThunderboltDevice(const std::optional<NodeInfo>& node) {
    return node && node->name == facts::kThunderboltDeviceNode;
}

std::set<NodeId> ancestors(const DeviceTree& tree, NodeId node) {
    std::set<NodeId> found;
    for (auto info = tree.node(node); info && info->parent != kNoNode;
         info = tree.node(info->parent)) {
        found.insert(info->parent);
    }
    return found;
}

std::optional<std::string> authorized(const NodeInfo& node) {
    auto it = node.properties.find(facts::kAuthorized);
    if (it == node.properties.end()) {
        return std::nullopt;
    }
    return facts::textOf(it->second);
}

}  // namespace

bool isWaitingForAuthorization(const NodeInfo& node) {
    return node.name == facts::kThunderboltDeviceNode && authorized(node) == "0";
}

NodeId thunderboltDeviceBehind(const DeviceTree& tree, NodeId pciFunction) {
    const std::set<NodeId> bridges = ancestors(tree, pciFunction);
    if (bridges.empty()) {
        return kNoNode;
    }
    NodeId found = kNoNode;
    for (NodeId id : tree.nodes()) {
        const auto node = tree.node(id);
        // A host router hangs from the host's PCI function, not from another device.
        if (!isThunderboltDevice(node) || !isThunderboltDevice(tree.node(node->parent))) {
            continue;
        }
        const auto state = authorized(*node);
        if (!state || *state == "0") {
            continue;
        }
        bool sameHost = false;
        for (NodeId above : ancestors(tree, id)) {
            sameHost = sameHost || bridges.contains(above);
        }
        if (!sameHost) {
            continue;
        }
        if (found != kNoNode) {
            return kNoNode;  // several: which one carries the tunnel is not told
        }
        found = id;
    }
    return found;
}

}  // namespace platform::devices
