#include "sim/command/status_report.h"

#include <sstream>

#include "platform/text/printable.h"
#include "sim/world_json.h"

namespace sim {

namespace {

const char* statusName(std::uint8_t status) {
    switch (status) {
        case MV_LD_STATUS_FUNCTIONAL:
            return "functional";
        case MV_LD_STATUS_DEGRADE:
            return "degraded";
        case MV_LD_STATUS_OFFLINE:
            return "offline";
        default:
            return "unknown";
    }
}

std::string stateText(const LogicalDiskState& state) {
    std::string text = statusName(state.status);
    if (state.rebuilding) {
        text += ", rebuilding " + std::to_string(state.progress) + "%";
    }
    return text;
}

std::string members(const Enclosure& enclosure, const LogicalDisk& ld) {
    std::string text;
    for (auto id : ld.blocks) {
        if (auto at = findBlock(enclosure, id); at.disk) {
            text += (text.empty() ? "slot " : ", slot ") + std::to_string(at.disk->slot);
        }
    }
    const int missing = ld.memberCount - static_cast<int>(ld.blocks.size());
    if (missing > 0) {
        text += (text.empty() ? "" : ", ") + std::to_string(missing) + " missing";
    }
    return text;
}

}  // namespace

std::string groupedDigits(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    return digits;
}

std::string statusText(const World& world,
                       const std::filesystem::path& file,
                       const Timing& timing) {
    std::ostringstream out;
    out << "World: " << platform::printable(file.string()) << "\n";
    out << "Rebuild time: " << world.rebuildSeconds << " s\n";
    if (world.enclosures.empty()) {
        out << "No enclosures\n";
    }
    for (std::size_t e = 0; e < world.enclosures.size(); ++e) {
        const Enclosure& enclosure = world.enclosures[e];
        out << "Enclosure " << e << ": " << (enclosure.plugged ? "plugged in" : "unplugged")
            << ", auto-rebuild " << (enclosure.autoRebuild ? "on" : "off") << ", controller "
            << platform::printable(enclosure.identity.model) << " (serial "
            << platform::printable(enclosure.identity.serialNumber) << ")\n";
        for (int slot = 0; slot < enclosure.identity.portCount; ++slot) {
            out << "  Slot " << slot << ": ";
            const Disk* disk = diskInSlot(enclosure, slot);
            if (!disk) {
                out << "empty\n";
                continue;
            }
            out << groupedDigits(disk->sizeBytes) << " bytes, " << platform::printable(disk->model)
                << " (serial " << platform::printable(disk->serialNumber) << "), device ID "
                << disk->deviceId() << ", "
                << (diskStatus(*disk) == MV_HD_STATUS_ASSIGNED ? "assigned" : "free") << "\n";
        }
        for (const auto& ld : enclosure.logicalDisks) {
            out << "  Volume " << ld.id << " \"" << platform::printable(ld.name) << "\": RAID "
                << (ld.mode == RaidMode::Raid0 ? 0 : 1) << ", " << groupedDigits(ld.sizeKiB << 10)
                << " bytes, " << stateText(logicalDiskState(enclosure, ld, timing))
                << "; members: " << members(enclosure, ld) << "\n";
        }
    }
    out << "Foreign disks:";
    if (world.foreignDisks.empty()) {
        out << " none";
    }
    for (std::size_t i = 0; i < world.foreignDisks.size(); ++i) {
        out << (i ? ", " : " ") << platform::printable(world.foreignDisks[i].name);
    }
    out << "\nFaults:";
    if (world.faults.empty()) {
        out << " none";
    }
    out << "\n";
    for (const auto& fault : world.faults) {
        out << "  " << fault.operation << ": "
            << (fault.raise ? std::string("raises") : "returns " + std::to_string(fault.status))
            << " for the next " << fault.remaining << " call(s)\n";
    }
    return out.str();
}

nlohmann::json statusJson(const World& world, const Timing& timing) {
    nlohmann::json json = toJson(world);
    for (std::size_t e = 0; e < world.enclosures.size(); ++e) {
        const Enclosure& enclosure = world.enclosures[e];
        auto& ej = json["enclosures"][e];
        for (std::size_t d = 0; d < enclosure.disks.size(); ++d) {
            ej["disks"][d]["status"] =
                diskStatus(enclosure.disks[d]) == MV_HD_STATUS_ASSIGNED ? "assigned" : "free";
        }
        for (std::size_t l = 0; l < enclosure.logicalDisks.size(); ++l) {
            const LogicalDiskState state =
                logicalDiskState(enclosure, enclosure.logicalDisks[l], timing);
            ej["logicalDisks"][l]["state"] = {{"status", statusName(state.status)},
                                              {"code", state.status},
                                              {"rebuilding", state.rebuilding},
                                              {"progress", state.progress}};
        }
    }
    return json;
}

}  // namespace sim
