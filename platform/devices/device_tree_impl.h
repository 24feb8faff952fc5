// Internal state shared by the device tree and the stand-ins that serve it.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <variant>
#include <vector>

#include "platform/devices/device_tree.h"
#include "platform/devices/disk_arrival.h"
#include "platform/devices/registry.h"

namespace platform::devices {

// A service as an iterator or entry handle holds it: the node and its name,
// which a terminated service still tells.
struct ServiceRef {
    NodeId node = kNoNode;
    std::string name;
};

// One matching notification: what it matches, where it is delivered and the
// services waiting in its iterator.
struct Registration {
    std::weak_ptr<NotificationPort> port;
    NotificationType type = NotificationType::FirstMatch;
    MatchingDictionary matching{""};
    ServiceCallback callback;
    void* context = nullptr;
    Iterator iterator = kNoHandle;
    std::deque<ServiceRef> pending;
    std::set<NodeId> firstMatched;  // reported once per node
    bool armed = false;             // set when a drain finds the iterator empty
};

// Posts the registration's callback through its port when it is armed.
void notifyRegistration(const std::shared_ptr<Registration>& registration);

struct DeviceTree::Impl {
    struct Node {
        NodeInfo info;
        std::vector<NodeId> children;
    };
    using EntryHandle = ServiceRef;
    struct IteratorHandle {
        std::shared_ptr<Registration> registration;
    };

    std::map<NodeId, Node> nodes;
    std::vector<NodeId> order;
    std::map<std::string, NodeId> byPath;
    std::vector<DiskRef> disks;
    std::map<Handle, std::variant<EntryHandle, IteratorHandle>> handles;
    std::vector<std::shared_ptr<Registration>> registrations;
    std::vector<std::weak_ptr<DiskArrivalSession::Impl>> sessions;

    Handle newHandle(std::variant<EntryHandle, IteratorHandle> object);
    Handle newEntry(NodeId id);
    ServiceRef service(NodeId id) const;
    const Node* find(NodeId id) const;
    bool matches(const Registration& registration, NodeId id) const;
    void nodeMayHaveBegunToMatch(NodeId id);
    void removeSubtree(NodeId id);
    void diskAppeared(const DiskRef& disk);
    void diskDisappeared(const DiskRef& disk);
};

// The disk-arrival side of a tree change.
void sessionDiskAppeared(DiskArrivalSession::Impl& session, const DiskRef& disk);
void sessionDiskDisappeared(DiskArrivalSession::Impl& session, const DiskRef& disk);

}  // namespace platform::devices
