#include "app/enclosure_detection.h"

#include "platform/devices/registry.h"

namespace devices = platform::devices;

bool isEnclosureDisk(const devices::DiskRef& disk) {
    devices::RegistryEntry entry = devices::kNoHandle;
    devices::RegistryEntry bus = devices::kNoHandle;
    devices::RegistryEntry controller = devices::kNoHandle;
    bool result = false;
    try {
        const auto description = devices::diskCopyDescription(disk);
        const std::string busPath =
            description && description->busPath ? *description->busPath : std::string();
        entry = devices::registryEntryFromPath(busPath);
        bus = devices::registryEntryGetParentEntry(entry, devices::kDeviceTreePlane);
        controller = devices::registryEntryGetParentEntry(bus, devices::kDeviceTreePlane);
        const auto vendor =
            devices::registryEntryCreateProperty(controller, enclosure::kSubsystemVendorKey);
        if (vendor && *vendor == enclosure::kSubsystemVendorID) {
            const auto subsystem =
                devices::registryEntryCreateProperty(controller, enclosure::kSubsystemKey);
            result = subsystem && *subsystem == enclosure::kSubsystemID;
        }
    } catch (...) {
        result = false;
    }
    for (devices::RegistryEntry handle : {controller, bus, entry}) {
        if (handle != devices::kNoHandle) {
            devices::objectRelease(handle);
        }
    }
    return result;
}
