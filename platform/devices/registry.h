// The device registry stand-in: services matched by name and properties,
// notifications of their arrival and removal delivered through a port's
// run-loop source, entries found by path, their parents and their properties.
//
// Everything works on the current DeviceTree (device_tree.h). Single thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/devices/device_types.h"
#include "platform/runloop/run_loop.h"

namespace platform::devices {

// What a notification matches: a service name and, optionally, property
// tables. A service matches when its name is the name and, if any property
// tables were added, all entries of at least one of them equal the service's
// properties byte for byte (lengths included).
class MatchingDictionary {
  public:
    explicit MatchingDictionary(std::string serviceName) : serviceName_(std::move(serviceName)) {}

    const std::string& serviceName() const { return serviceName_; }
    // Adds one table to the "IOPropertyMatch" array.
    void addPropertyMatch(PropertyTable properties);
    const std::vector<PropertyTable>& propertyMatch() const { return propertyMatch_; }

    bool matches(const std::string& name, const PropertyTable& properties) const;

  private:
    std::string serviceName_;
    std::vector<PropertyTable> propertyMatch_;
};

using MatchingDictionaryRef = std::shared_ptr<MatchingDictionary>;

// The matching dictionary for a service name; null for an empty name.
MatchingDictionaryRef serviceNameMatching(const std::string& name);

// Where registry notifications queue until the run loop performs the port's
// source (in whatever modes the owner adds it in).
class NotificationPort;
using NotificationPortRef = std::shared_ptr<NotificationPort>;

NotificationPortRef notificationPortCreate();
// The port's signalled run-loop source; null for a null port.
std::shared_ptr<RunLoopSource> notificationPortGetRunLoopSource(const NotificationPortRef& port);
// Drops queued notifications; nothing is delivered through the port again.
// The caller removes the source from its run loop itself.
void notificationPortDestroy(const NotificationPortRef& port);

enum class NotificationType {
    FirstMatch,  // a matching service appeared (or began to match)
    Terminate,   // a matching service was removed
};

// Called with the context given at registration and the registration's
// iterator, which holds the new services.
using ServiceCallback = std::function<void(void* context, Iterator iterator)>;

// Registers for services that match `matching` (copied: later changes to the
// dictionary do not count). Returns, through `iterator`, an iterator holding
// the services that already match (for FirstMatch; none for Terminate). The
// callback runs only after the iterator was drained (iteratorNext returned
// kNoHandle), and again each time it is drained after new services arrive.
// Releasing the iterator ends the registration.
IOReturn addMatchingNotification(const NotificationPortRef& port,
                                 NotificationType type,
                                 const MatchingDictionaryRef& matching,
                                 ServiceCallback callback,
                                 void* context,
                                 Iterator* iterator);
IOReturn addMatchingNotification(
    const NotificationPortRef& port,
    const std::string& type,  // "IOServiceFirstMatch" / "IOServiceTerminate"
    const MatchingDictionaryRef& matching,
    ServiceCallback callback,
    void* context,
    Iterator* iterator);

// The next service of an iterator as a new entry handle (release it), or
// kNoHandle when it is exhausted, which arms the notification.
RegistryEntry iteratorNext(Iterator iterator);

// Releases an entry or an iterator. Unknown or already released: BadArgument.
IOReturn objectRelease(Handle object);

// The entry at a registry path, as a new handle; kNoHandle when none.
RegistryEntry registryEntryFromPath(const std::string& path);

// The parent of `entry` in `plane` as a new handle (*parent = kNoHandle on failure).
IOReturn registryEntryGetParentEntry(RegistryEntry entry,
                                     const std::string& plane,
                                     RegistryEntry* parent);
RegistryEntry registryEntryGetParentEntry(RegistryEntry entry, const std::string& plane);

// A copy of a property; empty when the entry (or the node behind it) lacks it.
std::optional<Bytes> registryEntryCreateProperty(RegistryEntry entry, const std::string& key);

// The service name of an entry; empty when unknown.
std::string registryEntryGetName(RegistryEntry entry);

}  // namespace platform::devices
