// The in-memory device tree behind the registry and disk-arrival stand-ins.
// Tests and the simulator's feed add, change and remove nodes and disks; the
// stand-ins see every change and queue the notifications they promise.
//
// One tree is current for the process; tests install their own with
// DeviceTree::Scope. Single thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"

namespace platform::devices {

using NodeId = std::uint64_t;
inline constexpr NodeId kNoNode = 0;

struct NodeInfo {
    NodeId id = kNoNode;
    std::string name;         // the service name matching looks at
    std::string path;         // the registry path, unique in the tree
    NodeId parent = kNoNode;  // in the "IODeviceTree" plane
    PropertyTable properties;
};

class DeviceTree {
  public:
    DeviceTree();
    ~DeviceTree();
    DeviceTree(const DeviceTree&) = delete;
    DeviceTree& operator=(const DeviceTree&) = delete;

    // The tree the stand-ins work on.
    static DeviceTree& current();

    // Makes `tree` current until destroyed; nests.
    class Scope {
      public:
        explicit Scope(DeviceTree& tree);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        DeviceTree* previous_;
    };

    // --- nodes
    // Adds a node below `parent` (kNoNode: a root). Fails (kNoNode) on an
    // empty or duplicate path or an unknown parent.
    NodeId addNode(const std::string& name,
                   const std::string& path,
                   NodeId parent = kNoNode,
                   PropertyTable properties = {});
    // A node that begins to match a registration by a change is reported to
    // it as first matched (once per node and registration).
    bool setProperty(NodeId node, const std::string& key, Bytes value);
    bool removeProperty(NodeId node, const std::string& key);
    // Removes the node and everything below it; each removed node that
    // matches a terminate registration is reported to it.
    bool removeNode(NodeId node);
    void clear();  // every node and disk, with their notifications

    std::optional<NodeInfo> node(NodeId node) const;
    NodeId nodeAtPath(const std::string& path) const;
    std::vector<NodeId> children(NodeId node) const;
    std::vector<NodeId> nodes() const;  // in order of addition

    // --- disks
    // Fails on an empty or duplicate BSD name.
    bool addDisk(const std::string& bsdName, const std::string& busPath, bool whole = true);
    bool removeDisk(const std::string& bsdName);
    std::vector<std::string> disks() const;          // in order of addition
    DiskRef disk(const std::string& bsdName) const;  // null when none

    // Handles (entries, iterators) not yet released, to find leaks in tests.
    std::size_t liveHandleCount() const;

    struct Impl;
    Impl& impl() { return *impl_; }
    std::shared_ptr<Impl> sharedImpl() const { return impl_; }

  private:
    std::shared_ptr<Impl> impl_;  // sessions hold it weakly
};

}  // namespace platform::devices
