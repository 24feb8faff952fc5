#include "cli/device_report_format.h"

#include <cstdio>
#include <ostream>

namespace cli {
namespace {

std::string hex(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

std::string orUnknown(const std::optional<std::string>& value) {
    return value && !value->empty() ? *value : "unknown";
}

std::string thunderboltName(const ThunderboltDevice& device) {
    std::string name = device.vendorName;
    if (!device.deviceName.empty()) {
        name += (name.empty() ? "" : " ") + device.deviceName;
    }
    return name.empty() ? "unnamed device" : name;
}

}  // namespace

nlohmann::ordered_json deviceReportJson(const DeviceReport& report,
                                        const std::string& libraryProblem) {
    nlohmann::ordered_json enclosures = nlohmann::ordered_json::array();
    for (const Enclosure& enclosure : report.enclosures) {
        nlohmann::ordered_json disks = nlohmann::ordered_json::array();
        for (const EnclosureDisk& disk : enclosure.disks) {
            disks.push_back({{"name", disk.name},
                             {"model", orNull(disk.model)},
                             {"serial", orNull(disk.serial)},
                             {"size_bytes", orNull(disk.sizeBytes)}});
        }
        nlohmann::ordered_json thunderbolt = nullptr;
        if (enclosure.thunderbolt) {
            thunderbolt = {{"vendor_name", enclosure.thunderbolt->vendorName},
                           {"device_name", enclosure.thunderbolt->deviceName},
                           {"authorized", enclosure.thunderbolt->authorized}};
        }
        enclosures.push_back({{"pci_slot", orNull(enclosure.pciSlot)},
                              {"vendor_id", hex(enclosure.vendorId)},
                              {"device_id", hex(enclosure.deviceId)},
                              {"subsystem_vendor_id", hex(enclosure.subsystemVendorId)},
                              {"subsystem_id", hex(enclosure.subsystemId)},
                              {"driver", orNull(enclosure.driver)},
                              {"thunderbolt", thunderbolt},
                              {"disks", disks}});
    }
    nlohmann::ordered_json waiting = nlohmann::ordered_json::array();
    for (const ThunderboltDevice& device : report.unauthorizedThunderbolt) {
        waiting.push_back({{"vendor_name", device.vendorName},
                           {"device_name", device.deviceName},
                           {"unique_id", device.uniqueId}});
    }
    return {{"output_version", 1},
            {"enclosures", enclosures},
            {"unauthorized_thunderbolt", waiting},
            {"library_problem", libraryProblem.empty() ? nlohmann::ordered_json(nullptr)
                                                       : nlohmann::ordered_json(libraryProblem)}};
}

void printDeviceReport(const DeviceReport& report,
                       const std::string& libraryProblem,
                       std::ostream& out) {
    if (report.enclosures.empty()) {
        out << "No enclosure found.\n";
    }
    for (const Enclosure& enclosure : report.enclosures) {
        out << "Enclosure at PCI " << orUnknown(enclosure.pciSlot) << ": "
            << hex(enclosure.vendorId) << ":" << hex(enclosure.deviceId) << ", subsystem "
            << hex(enclosure.subsystemVendorId) << ":" << hex(enclosure.subsystemId) << ", driver "
            << (enclosure.driver ? *enclosure.driver : "none") << "\n";
        out << "  Thunderbolt: ";
        if (enclosure.thunderbolt) {
            out << thunderboltName(*enclosure.thunderbolt)
                << (enclosure.thunderbolt->authorized ? " (authorized)" : " (not authorized)")
                << "\n";
        } else {
            out << "cannot be told\n";
        }
        if (enclosure.disks.empty()) {
            out << "  No disks\n";
        }
        for (const EnclosureDisk& disk : enclosure.disks) {
            out << "  Disk " << disk.name << ": " << orUnknown(disk.model) << ", serial "
                << orUnknown(disk.serial) << ", "
                << (disk.sizeBytes ? std::to_string(*disk.sizeBytes) + " bytes" : "size unknown")
                << "\n";
        }
    }
    if (!report.unauthorizedThunderbolt.empty()) {
        out << "\nThunderbolt devices waiting for authorization:\n";
        for (const ThunderboltDevice& device : report.unauthorizedThunderbolt) {
            out << "  " << thunderboltName(device) << " (" << device.uniqueId << ")\n";
        }
        out << "Authorize a device in the desktop's Thunderbolt settings, or with\n"
               "  boltctl authorize <unique id>\n";
    }
    if (!libraryProblem.empty()) {
        out << "\nController library: " << libraryProblem << "\n";
    }
}

}  // namespace cli
