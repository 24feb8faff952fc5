#include "platform/devices/udev_device_source.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"
#include "platform/devices/device_facts.h"
#include "platform/devices/sysfs_values.h"
#include "platform/devices/udev_handles.h"

namespace platform::devices {
namespace {

constexpr std::string_view kSysDevices = "/sys/devices";

std::string localized(const char* key) {
    return Bundle::mainBundle().localizedString(key);
}

std::string_view orEmpty(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

std::string attribute(udev_device* device, const char* name) {
    return sysfs::trimmed(orEmpty(udev_device_get_sysattr_value(device, name)));
}

std::string property(udev_device* device, const char* name) {
    return std::string(orEmpty(udev_device_get_property_value(device, name)));
}

// An identity from the pair the kernel's uevent file carries (PCI_ID,
// PCI_SUBSYS_ID: already read with the device), else from its own sysfs
// attribute ("vendor", "subsystem_device", ...).
std::optional<std::uint16_t> pciId(udev_device* device,
                                   const char* attributeName,
                                   const char* pairProperty,
                                   bool second) {
    if (const auto pair = sysfs::parseIdPair(property(device, pairProperty))) {
        return second ? pair->second : pair->first;
    }
    return sysfs::parseHexId(attribute(device, attributeName));
}

void putText(PropertyTable& properties, const char* key, const std::string& value) {
    if (!value.empty()) {
        properties[key] = facts::text(value);
    }
}

// Model, serial and size of a whole disk, as far as sysfs and udev tell them.
PropertyTable diskFacts(udev_device* device) {
    PropertyTable facts;
    const std::string model = attribute(device, "device/model");
    putText(facts, facts::kModel, model.empty() ? property(device, "ID_MODEL") : model);
    const std::string serial = property(device, "ID_SERIAL_SHORT");
    putText(facts, facts::kSerial, serial.empty() ? attribute(device, "device/serial") : serial);
    if (const auto bytes = sysfs::sectorCountInBytes(attribute(device, "size"))) {
        facts[facts::kSizeBytes] = facts::littleEndian(*bytes, 8);
    }
    return facts;
}

constexpr const char* kDiskFactKeys[] = {facts::kModel, facts::kSerial, facts::kSizeBytes};

}  // namespace

std::shared_ptr<UdevDeviceSource> UdevDeviceSource::create(DeviceTree& tree, std::ostream& err) {
    auto source = std::make_shared<UdevDeviceSource>(Private{}, tree);
    source->udev_ = udev_new();
    if (!source->udev_) {
        const int error = errno;  // before the string table is read
        err << formatString(localized("UDEV_UNAVAILABLE"), {std::strerror(error)}) << "\n";
        return nullptr;
    }
    // The monitor first, so nothing that happens while enumerating is lost;
    // an event for a device already kept only updates it.
    udev::Monitor monitor(udev_monitor_new_from_netlink(source->udev_, "udev"));
    if (monitor &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "pci", nullptr) >= 0 &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "block", "disk") >= 0 &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "thunderbolt",
                                                        "thunderbolt_device") >= 0 &&
        udev_monitor_enable_receiving(monitor.get()) >= 0) {
        source->monitor_ = monitor.release();
    } else {
        err << localized("UDEV_NOT_FOLLOWED") << "\n";
    }
    source->enumerate();
    return source;
}

UdevDeviceSource::UdevDeviceSource(Private, DeviceTree& tree) : tree_(tree) {}

UdevDeviceSource::~UdevDeviceSource() {
    if (monitor_) {
        udev_monitor_unref(monitor_);
    }
    if (udev_) {
        udev_unref(udev_);
    }
}

int UdevDeviceSource::fd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_) : -1;
}

void UdevDeviceSource::perform() {
    if (!monitor_) {
        return;
    }
    while (udev::Device device{udev_monitor_receive_device(monitor_)}) {
        apply(device.get(), orEmpty(udev_device_get_action(device.get())));
    }
}

void UdevDeviceSource::enumerate() {
    udev::Enumerate enumerate(udev_enumerate_new(udev_));
    if (!enumerate) {
        return;
    }
    for (const char* subsystem : {"pci", "block", "thunderbolt"}) {
        udev_enumerate_add_match_subsystem(enumerate.get(), subsystem);
    }
    udev_enumerate_scan_devices(enumerate.get());
    // Sorted by path, so a bridge is kept before the functions below it.
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        udev::Device device(udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry)));
        if (device) {
            apply(device.get(), "add");
        }
    }
}

void UdevDeviceSource::apply(udev_device* device, std::string_view action) {
    const char* syspath = udev_device_get_syspath(device);
    if (!syspath) {
        return;
    }
    if (action == "remove") {
        forget(syspath);
        return;
    }
    if (action == "move") {
        if (const char* old = udev_device_get_property_value(device, "DEVPATH_OLD")) {
            forget("/sys" + std::string(old));
        }
    }
    const std::string_view subsystem = orEmpty(udev_device_get_subsystem(device));
    const std::string_view devtype = orEmpty(udev_device_get_devtype(device));
    if (subsystem == "pci") {
        keepPci(device, action == "unbind");
    } else if (subsystem == "block" && devtype == "disk") {
        keepDisk(device);
    } else if (subsystem == "thunderbolt" && devtype == "thunderbolt_device") {
        keepThunderbolt(device);
    }
}

NodeId UdevDeviceSource::keepNode(const std::string& name,
                                  const std::string& path,
                                  NodeId parent,
                                  const PropertyTable& properties) {
    const NodeId known = tree_.nodeAtPath(path);
    if (known == kNoNode) {
        return tree_.addNode(name, path, parent, properties);
    }
    const auto info = tree_.node(known);
    for (const auto& [key, value] : properties) {
        auto it = info->properties.find(key);
        if (it == info->properties.end() || it->second != value) {
            tree_.setProperty(known, key, value);
        }
    }
    return known;
}

NodeId UdevDeviceSource::nearestKeptAncestor(std::string_view syspath) const {
    for (std::string path = sysfs::parentPath(syspath); sysfs::isBelow(path, kSysDevices);
         path = sysfs::parentPath(path)) {
        if (const NodeId node = tree_.nodeAtPath(path); node != kNoNode) {
            return node;
        }
    }
    return kNoNode;
}

std::string UdevDeviceSource::keptPciAbove(std::string_view syspath) const {
    for (std::string path = sysfs::parentPath(syspath); sysfs::isBelow(path, kSysDevices);
         path = sysfs::parentPath(path)) {
        if (pciFunctions_.contains(path)) {
            return path;
        }
    }
    return {};
}

NodeId UdevDeviceSource::keepPci(udev_device* device, bool unbound) {
    const std::string syspath = udev_device_get_syspath(device);
    const auto vendor = pciId(device, "vendor", "PCI_ID", false);
    const auto product = pciId(device, "device", "PCI_ID", true);
    const auto subsystemVendor = pciId(device, "subsystem_vendor", "PCI_SUBSYS_ID", false);
    const auto subsystem = pciId(device, "subsystem_device", "PCI_SUBSYS_ID", true);

    PropertyTable properties;
    const std::pair<const char*, const std::optional<std::uint16_t>&> ids[] = {
        {facts::kVendorId, vendor},
        {facts::kDeviceId, product},
        {facts::kSubsystemVendorId, subsystemVendor},
        {facts::kSubsystemId, subsystem}};
    for (const auto& [key, id] : ids) {
        if (id) {
            properties[key] = facts::littleEndian(*id, 4);
        }
    }
    std::string slot = property(device, "PCI_SLOT_NAME");
    putText(properties, facts::kPciSlot,
            slot.empty() ? std::string(orEmpty(udev_device_get_sysname(device))) : slot);
    if (!unbound) {
        putText(properties, facts::kDriver, std::string(orEmpty(udev_device_get_driver(device))));
    }

    const std::string name =
        vendor && product ? facts::pciServiceName(*vendor, *product) : std::string("pci-device");
    const NodeId node = keepNode(name, syspath, nearestKeptAncestor(syspath), properties);
    if (node != kNoNode) {
        pciFunctions_.insert(syspath);
    }
    if (unbound && node != kNoNode) {
        tree_.removeProperty(node, facts::kDriver);
    }
    return node;
}

void UdevDeviceSource::keepDisk(udev_device* device) {
    const std::string syspath = udev_device_get_syspath(device);
    const std::string name(orEmpty(udev_device_get_sysname(device)));
    if (name.empty()) {
        return;
    }
    if (disks_.contains(syspath)) {
        refreshDisk(device, syspath);
        return;
    }
    // The kernel reuses names: a disk of that name we still hold is gone.
    for (const auto& [path, kept] : disks_) {
        if (kept == name) {
            forgetDisk(std::string(path));
            break;
        }
    }

    std::string busPath;
    // The controller is usually kept already (a path sorts before the paths
    // below it, and the kernel announces it first); asking udev for the
    // parents reads every sysfs level in between.
    std::string pciPath = keptPciAbove(syspath);
    NodeId controller = pciPath.empty() ? kNoNode : tree_.nodeAtPath(pciPath);
    if (controller == kNoNode) {
        if (udev_device* pci =
                udev_device_get_parent_with_subsystem_devtype(device, "pci", nullptr)) {
            pciPath = orEmpty(udev_device_get_syspath(pci));
            controller = keepPci(pci, false);
        }
    }
    if (controller != kNoNode) {
        const std::string portPath = sysfs::firstLevelBelow(pciPath, syspath);
        if (!portPath.empty() && portPath != syspath) {
            const NodeId port =
                keepNode(portPath.substr(portPath.rfind('/') + 1), portPath, controller, {});
            if (port != kNoNode && keepNode(name, syspath, port, diskFacts(device)) != kNoNode) {
                busPath = syspath;
            }
        }
    }
    if (tree_.addDisk(name, busPath, true)) {
        disks_[syspath] = name;
    }
}

void UdevDeviceSource::refreshDisk(udev_device* device, const std::string& syspath) {
    const NodeId bus = tree_.nodeAtPath(syspath);
    if (bus == kNoNode) {
        return;  // a disk without a controller has no facts in the tree
    }
    const PropertyTable now = diskFacts(device);
    keepNode(std::string(orEmpty(udev_device_get_sysname(device))), syspath, kNoNode, now);
    // What the disk no longer tells is no longer known (a medium taken out).
    for (const char* key : kDiskFactKeys) {
        if (!now.contains(key) && tree_.node(bus)->properties.contains(key)) {
            tree_.removeProperty(bus, key);
        }
    }
}

void UdevDeviceSource::keepThunderbolt(udev_device* device) {
    const std::string syspath = udev_device_get_syspath(device);
    PropertyTable properties;
    for (const char* key :
         {facts::kVendorName, facts::kDeviceName, facts::kUniqueId, facts::kAuthorized}) {
        putText(properties, key, attribute(device, key));
    }
    keepNode(facts::kThunderboltDeviceNode, syspath, nearestKeptAncestor(syspath), properties);
}

void UdevDeviceSource::forgetDisk(const std::string& syspath) {
    auto it = disks_.find(syspath);
    if (it == disks_.end()) {
        return;
    }
    tree_.removeDisk(it->second);
    disks_.erase(it);
    const NodeId bus = tree_.nodeAtPath(syspath);
    if (bus == kNoNode) {
        return;
    }
    const NodeId port = tree_.node(bus)->parent;
    tree_.removeNode(bus);
    if (port != kNoNode && tree_.children(port).empty()) {
        tree_.removeNode(port);
    }
}

void UdevDeviceSource::forget(const std::string& syspath) {
    // Disks first, so they vanish before the controller they hung from.
    std::vector<std::string> gone;
    for (const auto& [path, name] : disks_) {
        if (path == syspath || sysfs::isBelow(path, syspath)) {
            gone.push_back(path);
        }
    }
    for (const auto& path : gone) {
        forgetDisk(path);
    }
    if (const NodeId node = tree_.nodeAtPath(syspath); node != kNoNode) {
        tree_.removeNode(node);
    }
    std::erase_if(pciFunctions_, [&syspath](const std::string& path) {
        return path == syspath || sysfs::isBelow(path, syspath);
    });
}

}  // namespace platform::devices
