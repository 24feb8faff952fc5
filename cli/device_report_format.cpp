#include "cli/device_report_format.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string_view>

#include "cli/texts.h"
#include "model/utf8.h"

namespace cli {
namespace {

// Whatever a device calls itself reaches the terminal only as text: control
// characters (C0, DEL, C1), bytes that are not UTF-8 and backslashes are
// written as \xNN (\\ for a backslash).
std::string terminalSafe(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto escape = [](std::string& out, std::string_view bytes) {
        for (const char byte : bytes) {
            const auto value = static_cast<unsigned char>(byte);
            out += {'\\', 'x', kHex[value >> 4], kHex[value & 0xF]};
        }
    };
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        // The character at `at`: the shortest valid sequence, if any.
        const std::size_t longest = std::min<std::size_t>(4, text.size() - at);
        std::size_t length = 1;
        while (length <= longest && !isValidUTF8(text.substr(at, length))) {
            ++length;
        }
        if (length > longest) {
            escape(out, text.substr(at, 1));
            ++at;
            continue;
        }
        const std::string_view character = text.substr(at, length);
        const auto lead = static_cast<unsigned char>(character[0]);
        const bool control = length == 1 ? lead < 0x20 || lead == 0x7F
                                         : lead == 0xC2 && length == 2 &&
                                               static_cast<unsigned char>(character[1]) < 0xA0;
        if (control) {
            escape(out, character);
        } else if (character == "\\") {
            out += "\\\\";
        } else {
            out += character;
        }
        at += length;
    }
    return out;
}

// A line of the string table filled with the report's values, made safe as a whole.
std::string shown(const char* key, std::initializer_list<platform::FormatArg> args) {
    return terminalSafe(text(key, args));
}

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
    return value && !value->empty() ? *value : text("DEVICES_UNKNOWN");
}

std::string thunderboltName(const ThunderboltDevice& device) {
    std::string name = device.vendorName;
    if (!device.deviceName.empty()) {
        name += (name.empty() ? "" : " ") + device.deviceName;
    }
    return name.empty() ? text("DEVICES_UNNAMED") : name;
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
        out << text("STATUS_NO_ENCLOSURE") << "\n";
    }
    for (const Enclosure& enclosure : report.enclosures) {
        out << shown(
                   "DEVICES_ENCLOSURE",
                   {orUnknown(enclosure.pciSlot), hex(enclosure.vendorId), hex(enclosure.deviceId),
                    hex(enclosure.subsystemVendorId), hex(enclosure.subsystemId),
                    enclosure.driver.value_or(text("DEVICES_NO_DRIVER"))})
            << "\n  ";
        if (!enclosure.thunderbolt) {
            out << text("DEVICES_THUNDERBOLT_UNKNOWN") << "\n";
        } else {
            out << shown(enclosure.thunderbolt->authorized ? "DEVICES_THUNDERBOLT_AUTHORIZED"
                                                           : "DEVICES_THUNDERBOLT_WAITING",
                         {thunderboltName(*enclosure.thunderbolt)})
                << "\n";
        }
        if (enclosure.disks.empty()) {
            out << "  " << text("DEVICES_NO_DISKS") << "\n";
        }
        for (const EnclosureDisk& disk : enclosure.disks) {
            const std::string size =
                disk.sizeBytes ? text("DEVICES_DISK_BYTES", {std::to_string(*disk.sizeBytes)})
                               : text("DEVICES_DISK_SIZE_UNKNOWN");
            out << "  "
                << shown("DEVICES_DISK",
                         {disk.name, orUnknown(disk.model), orUnknown(disk.serial), size})
                << "\n";
        }
    }
    if (!report.unauthorizedThunderbolt.empty()) {
        out << "\n" << text("DEVICES_WAITING") << "\n";
        for (const ThunderboltDevice& device : report.unauthorizedThunderbolt) {
            out << "  "
                << shown("DEVICES_WAITING_DEVICE", {thunderboltName(device), device.uniqueId})
                << "\n";
        }
        out << text("DEVICES_AUTHORIZE_HINT") << "\n";
    }
    if (!libraryProblem.empty()) {
        out << "\n" << shown("DEVICES_LIBRARY_PROBLEM", {libraryProblem}) << "\n";
    }
}

}  // namespace cli
