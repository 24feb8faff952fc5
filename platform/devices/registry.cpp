#include "platform/devices/registry.h"

#include <algorithm>

#include "platform/devices/device_tree_impl.h"

namespace platform::devices {

// Queues armed registrations' callbacks until the run loop performs the source.
class NotificationPort : public std::enable_shared_from_this<NotificationPort> {
  public:
    class Source final : public RunLoopSource {
      public:
        void perform() override {
            if (auto port = port_.lock()) {  // the callbacks may drop the last owner
                port->deliver();
            }
        }
        std::weak_ptr<NotificationPort> port_;
    };

    NotificationPort() : source_(std::make_shared<Source>()) {}

    void attachSource() { source_->port_ = weak_from_this(); }
    const std::shared_ptr<Source>& source() const { return source_; }

    void enqueue(const std::shared_ptr<Registration>& registration) {
        if (destroyed_) {
            return;
        }
        queue_.push_back(registration);
        source_->signal();
    }

    void destroy() {
        destroyed_ = true;
        queue_.clear();
    }

  private:
    void deliver() {
        std::deque<std::weak_ptr<Registration>> batch;
        batch.swap(queue_);
        for (const auto& weak : batch) {
            if (destroyed_) {
                return;
            }
            auto registration = weak.lock();
            // A released iterator has no tree entry left; its callback must not run.
            if (registration && registration->iterator != kNoHandle && registration->callback) {
                registration->callback(registration->context, registration->iterator);
            }
        }
    }

    std::shared_ptr<Source> source_;
    std::deque<std::weak_ptr<Registration>> queue_;
    bool destroyed_ = false;
};

void notifyRegistration(const std::shared_ptr<Registration>& registration) {
    if (!registration->armed || registration->pending.empty()) {
        return;
    }
    auto port = registration->port.lock();
    if (!port) {
        return;
    }
    // One callback per drain: later arrivals wait in the iterator.
    registration->armed = false;
    port->enqueue(registration);
}

void MatchingDictionary::addPropertyMatch(PropertyTable properties) {
    propertyMatch_.push_back(std::move(properties));
}

bool MatchingDictionary::matches(const std::string& name, const PropertyTable& properties) const {
    if (name != serviceName_) {
        return false;
    }
    if (propertyMatch_.empty()) {
        return true;
    }
    return std::any_of(
        propertyMatch_.begin(), propertyMatch_.end(), [&properties](const auto& table) {
            return std::all_of(table.begin(), table.end(), [&properties](const auto& entry) {
                auto it = properties.find(entry.first);
                return it != properties.end() && it->second == entry.second;
            });
        });
}

MatchingDictionaryRef serviceNameMatching(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    return std::make_shared<MatchingDictionary>(name);
}

NotificationPortRef notificationPortCreate() {
    auto port = std::make_shared<NotificationPort>();
    port->attachSource();
    return port;
}

std::shared_ptr<RunLoopSource> notificationPortGetRunLoopSource(const NotificationPortRef& port) {
    return port ? port->source() : nullptr;
}

void notificationPortDestroy(const NotificationPortRef& port) {
    if (port) {
        port->destroy();
    }
}

IOReturn addMatchingNotification(const NotificationPortRef& port,
                                 NotificationType type,
                                 const MatchingDictionaryRef& matching,
                                 ServiceCallback callback,
                                 void* context,
                                 Iterator* iterator) {
    if (iterator) {
        *iterator = kNoHandle;
    }
    if (!port || !matching || !iterator) {
        return IOReturn::BadArgument;
    }
    auto& tree = DeviceTree::current().impl();
    auto registration = std::make_shared<Registration>();
    registration->port = port;
    registration->type = type;
    registration->matching = *matching;
    registration->callback = std::move(callback);
    registration->context = context;
    if (type == NotificationType::FirstMatch) {
        for (NodeId id : tree.order) {
            if (tree.matches(*registration, id)) {
                registration->firstMatched.insert(id);
                registration->pending.push_back(tree.service(id));
            }
        }
    }
    const Handle handle = tree.newHandle(DeviceTree::Impl::IteratorHandle{registration});
    if (handle == kNoHandle) {
        return IOReturn::BadArgument;
    }
    registration->iterator = handle;
    tree.registrations.push_back(registration);
    *iterator = handle;
    return IOReturn::Success;
}

IOReturn addMatchingNotification(const NotificationPortRef& port,
                                 const std::string& type,
                                 const MatchingDictionaryRef& matching,
                                 ServiceCallback callback,
                                 void* context,
                                 Iterator* iterator) {
    if (type == kFirstMatchNotification || type == kTerminateNotification) {
        return addMatchingNotification(port,
                                       type == kFirstMatchNotification
                                           ? NotificationType::FirstMatch
                                           : NotificationType::Terminate,
                                       matching, std::move(callback), context, iterator);
    }
    if (iterator) {
        *iterator = kNoHandle;
    }
    return IOReturn::BadArgument;
}

RegistryEntry iteratorNext(Iterator iterator) {
    auto& tree = DeviceTree::current().impl();
    auto it = tree.handles.find(iterator);
    if (it == tree.handles.end()) {
        return kNoHandle;
    }
    auto* handle = std::get_if<DeviceTree::Impl::IteratorHandle>(&it->second);
    if (!handle) {
        return kNoHandle;
    }
    auto registration = handle->registration;  // the map may grow below
    if (registration->pending.empty()) {
        registration->armed = true;
        return kNoHandle;
    }
    ServiceRef service = registration->pending.front();
    registration->pending.pop_front();
    return tree.newHandle(std::move(service));
}

IOReturn objectRelease(Handle object) {
    auto& tree = DeviceTree::current().impl();
    auto it = tree.handles.find(object);
    if (it == tree.handles.end()) {
        return IOReturn::BadArgument;
    }
    if (auto* handle = std::get_if<DeviceTree::Impl::IteratorHandle>(&it->second)) {
        auto registration = handle->registration;
        registration->iterator = kNoHandle;
        registration->pending.clear();
        std::erase(tree.registrations, registration);
    }
    tree.handles.erase(object);
    return IOReturn::Success;
}

namespace {

// The node behind an entry handle; kNoNode for anything else.
NodeId entryNode(const DeviceTree::Impl& tree, RegistryEntry entry) {
    auto it = tree.handles.find(entry);
    if (it == tree.handles.end()) {
        return kNoNode;
    }
    const auto* handle = std::get_if<DeviceTree::Impl::EntryHandle>(&it->second);
    return handle ? handle->node : kNoNode;
}

}  // namespace

RegistryEntry registryEntryFromPath(const std::string& path) {
    auto& tree = DeviceTree::current().impl();
    auto it = tree.byPath.find(path);
    if (it == tree.byPath.end()) {
        return kNoHandle;
    }
    return tree.newEntry(it->second);
}

IOReturn registryEntryGetParentEntry(RegistryEntry entry,
                                     const std::string& plane,
                                     RegistryEntry* parent) {
    if (!parent) {
        return IOReturn::BadArgument;
    }
    *parent = kNoHandle;
    auto& tree = DeviceTree::current().impl();
    const NodeId node = entryNode(tree, entry);
    if (node == kNoNode) {
        return IOReturn::BadArgument;
    }
    const auto* found = tree.find(node);
    if (plane != kDeviceTreePlane || !found || found->info.parent == kNoNode) {
        return IOReturn::NotFound;
    }
    *parent = tree.newEntry(found->info.parent);
    return *parent == kNoHandle ? IOReturn::NotFound : IOReturn::Success;
}

RegistryEntry registryEntryGetParentEntry(RegistryEntry entry, const std::string& plane) {
    RegistryEntry parent = kNoHandle;
    registryEntryGetParentEntry(entry, plane, &parent);
    return parent;
}

std::optional<Bytes> registryEntryCreateProperty(RegistryEntry entry, const std::string& key) {
    const auto& tree = DeviceTree::current().impl();
    const auto* node = tree.find(entryNode(tree, entry));
    if (!node) {
        return std::nullopt;
    }
    auto it = node->info.properties.find(key);
    if (it == node->info.properties.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string registryEntryGetName(RegistryEntry entry) {
    const auto& tree = DeviceTree::current().impl();
    auto it = tree.handles.find(entry);
    if (it == tree.handles.end()) {
        return {};
    }
    const auto* handle = std::get_if<DeviceTree::Impl::EntryHandle>(&it->second);
    return handle ? handle->name : std::string();
}

}  // namespace platform::devices
