#include "platform/devices/device_tree.h"

#include <algorithm>
#include <limits>

#include "platform/devices/device_tree_impl.h"

namespace platform::devices {
namespace {

DeviceTree* gCurrentOverride = nullptr;
NodeId gNextNode = 1;
// Unique across trees, never reused: a stale handle is always unknown.
Handle gNextHandle = 1;

}  // namespace

Handle DeviceTree::Impl::newHandle(std::variant<EntryHandle, IteratorHandle> object) {
    if (gNextHandle == std::numeric_limits<Handle>::max()) {
        return kNoHandle;  // exhausted; callers treat it as a failed lookup
    }
    const Handle handle = gNextHandle++;
    handles.emplace(handle, std::move(object));
    return handle;
}

ServiceRef DeviceTree::Impl::service(NodeId id) const {
    const Node* node = find(id);
    return ServiceRef{id, node ? node->info.name : std::string()};
}

Handle DeviceTree::Impl::newEntry(NodeId id) {
    return newHandle(service(id));
}

const DeviceTree::Impl::Node* DeviceTree::Impl::find(NodeId id) const {
    auto it = nodes.find(id);
    return it == nodes.end() ? nullptr : &it->second;
}

bool DeviceTree::Impl::matches(const Registration& registration, NodeId id) const {
    const Node* node = find(id);
    return node && registration.matching.matches(node->info.name, node->info.properties);
}

void DeviceTree::Impl::nodeMayHaveBegunToMatch(NodeId id) {
    const auto snapshot = registrations;
    for (const auto& registration : snapshot) {
        if (registration->type != NotificationType::FirstMatch ||
            registration->firstMatched.contains(id) || !matches(*registration, id)) {
            continue;
        }
        registration->firstMatched.insert(id);
        registration->pending.push_back(service(id));
        notifyRegistration(registration);
    }
}

void DeviceTree::Impl::removeSubtree(NodeId id) {
    const Node* node = find(id);
    if (!node) {
        return;
    }
    const auto children = node->children;
    for (NodeId child : children) {
        removeSubtree(child);
    }
    const auto snapshot = registrations;
    for (const auto& registration : snapshot) {
        if (registration->type == NotificationType::Terminate && matches(*registration, id)) {
            registration->pending.push_back(service(id));
            notifyRegistration(registration);
        }
    }
    const NodeInfo& info = nodes.at(id).info;
    if (auto parent = nodes.find(info.parent); parent != nodes.end()) {
        std::erase(parent->second.children, id);
    }
    byPath.erase(info.path);
    std::erase(order, id);
    nodes.erase(id);
}

void DeviceTree::Impl::diskAppeared(const DiskRef& disk) {
    std::erase_if(sessions, [](const auto& weak) { return weak.expired(); });
    const auto snapshot = sessions;
    for (const auto& weak : snapshot) {
        if (auto session = weak.lock()) {
            sessionDiskAppeared(*session, disk);
        }
    }
}

void DeviceTree::Impl::diskDisappeared(const DiskRef& disk) {
    std::erase_if(sessions, [](const auto& weak) { return weak.expired(); });
    const auto snapshot = sessions;
    for (const auto& weak : snapshot) {
        if (auto session = weak.lock()) {
            sessionDiskDisappeared(*session, disk);
        }
    }
}

DeviceTree::DeviceTree() : impl_(std::make_shared<Impl>()) {}

DeviceTree::~DeviceTree() {
    if (gCurrentOverride == this) {
        gCurrentOverride = nullptr;
    }
}

DeviceTree& DeviceTree::current() {
    if (gCurrentOverride) {
        return *gCurrentOverride;
    }
    static DeviceTree tree;
    return tree;
}

DeviceTree::Scope::Scope(DeviceTree& tree) : previous_(gCurrentOverride) {
    gCurrentOverride = &tree;
}

DeviceTree::Scope::~Scope() {
    gCurrentOverride = previous_;
}

NodeId DeviceTree::addNode(const std::string& name,
                           const std::string& path,
                           NodeId parent,
                           PropertyTable properties) {
    if (path.empty() || impl_->byPath.contains(path) ||
        (parent != kNoNode && !impl_->find(parent))) {
        return kNoNode;
    }
    const NodeId id = gNextNode++;
    impl_->nodes.emplace(id,
                         Impl::Node{NodeInfo{id, name, path, parent, std::move(properties)}, {}});
    impl_->order.push_back(id);
    impl_->byPath.emplace(path, id);
    if (parent != kNoNode) {
        impl_->nodes.at(parent).children.push_back(id);
    }
    impl_->nodeMayHaveBegunToMatch(id);
    return id;
}

bool DeviceTree::setProperty(NodeId node, const std::string& key, Bytes value) {
    auto it = impl_->nodes.find(node);
    if (it == impl_->nodes.end()) {
        return false;
    }
    it->second.info.properties[key] = std::move(value);
    impl_->nodeMayHaveBegunToMatch(node);
    return true;
}

bool DeviceTree::removeProperty(NodeId node, const std::string& key) {
    auto it = impl_->nodes.find(node);
    if (it == impl_->nodes.end()) {
        return false;
    }
    it->second.info.properties.erase(key);
    impl_->nodeMayHaveBegunToMatch(node);
    return true;
}

bool DeviceTree::removeNode(NodeId node) {
    if (!impl_->find(node)) {
        return false;
    }
    impl_->removeSubtree(node);
    return true;
}

void DeviceTree::clear() {
    const auto disks = impl_->disks;
    for (const auto& disk : disks) {
        removeDisk(disk->bsdName());
    }
    const auto order = impl_->order;
    for (NodeId id : order) {
        const auto* node = impl_->find(id);
        if (node && node->info.parent == kNoNode) {
            impl_->removeSubtree(id);
        }
    }
}

std::optional<NodeInfo> DeviceTree::node(NodeId node) const {
    const auto* found = impl_->find(node);
    if (!found) {
        return std::nullopt;
    }
    return found->info;
}

NodeId DeviceTree::nodeAtPath(const std::string& path) const {
    auto it = impl_->byPath.find(path);
    return it == impl_->byPath.end() ? kNoNode : it->second;
}

std::vector<NodeId> DeviceTree::children(NodeId node) const {
    const auto* found = impl_->find(node);
    return found ? found->children : std::vector<NodeId>{};
}

std::vector<NodeId> DeviceTree::nodes() const {
    return impl_->order;
}

bool DeviceTree::addDisk(const std::string& bsdName, const std::string& busPath, bool whole) {
    if (bsdName.empty() ||
        std::any_of(impl_->disks.begin(), impl_->disks.end(),
                    [&bsdName](const DiskRef& disk) { return disk->bsdName() == bsdName; })) {
        return false;
    }
    auto disk = std::make_shared<const Disk>(bsdName, busPath, whole);
    impl_->disks.push_back(disk);
    impl_->diskAppeared(disk);
    return true;
}

bool DeviceTree::removeDisk(const std::string& bsdName) {
    auto it = std::find_if(impl_->disks.begin(), impl_->disks.end(),
                           [&bsdName](const DiskRef& disk) { return disk->bsdName() == bsdName; });
    if (it == impl_->disks.end()) {
        return false;
    }
    const DiskRef disk = *it;
    impl_->disks.erase(it);
    impl_->diskDisappeared(disk);
    return true;
}

std::vector<std::string> DeviceTree::disks() const {
    std::vector<std::string> names;
    for (const auto& disk : impl_->disks) {
        names.push_back(disk->bsdName());
    }
    return names;
}

DiskRef DeviceTree::disk(const std::string& bsdName) const {
    for (const auto& disk : impl_->disks) {
        if (disk->bsdName() == bsdName) {
            return disk;
        }
    }
    return nullptr;
}

std::size_t DeviceTree::liveHandleCount() const {
    return impl_->handles.size();
}

}  // namespace platform::devices
