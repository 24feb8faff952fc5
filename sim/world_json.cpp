#include "sim/world_json.h"

#include <algorithm>
#include <limits>
#include <set>

#include "platform/text/utf8_text.h"
#include "sim/enclosure_rules.h"
#include "sim/operations.h"

namespace sim {

using nlohmann::json;

namespace {

constexpr int kFormat = 1;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw WorldFormatError(where + ": " + what);
}

const json& member(const json& object, const char* key, const std::string& where) {
    if (!object.is_object()) {
        fail(where, "is not an object");
    }
    auto it = object.find(key);
    if (it == object.end()) {
        fail(where, std::string("lacks \"") + key + "\"");
    }
    return *it;
}

std::uint64_t number(const json& object,
                     const char* key,
                     const std::string& where,
                     std::uint64_t low,
                     std::uint64_t high) {
    const json& value = member(object, key, where);
    if (!value.is_number_unsigned()) {
        fail(where, std::string("\"") + key + "\" is not a whole number of at least 0");
    }
    const auto n = value.get<std::uint64_t>();
    if (n < low || n > high) {
        fail(where, std::string("\"") + key + "\" is " + std::to_string(n) + ", outside " +
                        std::to_string(low) + " to " + std::to_string(high));
    }
    return n;
}

bool flag(const json& object, const char* key, const std::string& where) {
    const json& value = member(object, key, where);
    if (!value.is_boolean()) {
        fail(where, std::string("\"") + key + "\" is not true or false");
    }
    return value.get<bool>();
}

std::string text(const json& object, const char* key, const std::string& where) {
    const json& value = member(object, key, where);
    if (!value.is_string()) {
        fail(where, std::string("\"") + key + "\" is not a string");
    }
    return value.get<std::string>();
}

const json& list(const json& object, const char* key, const std::string& where) {
    const json& value = member(object, key, where);
    if (!value.is_array()) {
        fail(where, std::string("\"") + key + "\" is not a list");
    }
    return value;
}

template <class T, std::size_t N>
std::array<T, N> version(const json& object, const char* key, const std::string& where) {
    const json& value = list(object, key, where);
    if (value.size() != N) {
        fail(where, std::string("\"") + key + "\" does not have " + std::to_string(N) + " parts");
    }
    std::array<T, N> parts{};
    for (std::size_t i = 0; i < N; ++i) {
        if (!value[i].is_number_unsigned() ||
            value[i].get<std::uint64_t>() > std::numeric_limits<T>::max()) {
            fail(where, std::string("\"") + key + "\" has a part out of range");
        }
        parts[i] = static_cast<T>(value[i].get<std::uint64_t>());
    }
    return parts;
}

// Names are the bytes the application sent, which need not be UTF-8.
void putName(json& object, const std::string& name) {
    if (platform::isUtf8(name)) {
        object["name"] = name;
    } else {
        object["nameBytes"] = std::vector<std::uint8_t>(name.begin(), name.end());
    }
}

std::string takeName(const json& object, const std::string& where) {
    std::string name;
    if (object.contains("nameBytes")) {
        for (const auto& byte : list(object, "nameBytes", where)) {
            if (!byte.is_number_unsigned() || byte.get<std::uint64_t>() > 255) {
                fail(where, "\"nameBytes\" holds something other than bytes");
            }
            name.push_back(static_cast<char>(byte.get<std::uint64_t>()));
        }
    } else {
        name = text(object, "name", where);
    }
    if (name.size() > kMaxNameBytes || name.find('\0') != std::string::npos) {
        fail(where, "the name is longer than 16 bytes or holds a zero byte");
    }
    return name;
}

json identityJson(const ControllerIdentity& id) {
    return {{"vendorId", id.vendorId},
            {"deviceId", id.deviceId},
            {"subsystemVendorId", id.subsystemVendorId},
            {"subsystemId", id.subsystemId},
            {"portCount", id.portCount},
            {"serialNumber", id.serialNumber},
            {"model", id.model},
            {"driverVersion", id.driverVersion},
            {"biosVersion", id.biosVersion},
            {"firmwareVersion", id.firmwareVersion},
            {"bootLoaderVersion", id.bootLoaderVersion}};
}

ControllerIdentity identityFromJson(const json& j, const std::string& where) {
    ControllerIdentity id;
    id.vendorId = static_cast<std::uint16_t>(number(j, "vendorId", where, 0, 0xFFFF));
    id.deviceId = static_cast<std::uint16_t>(number(j, "deviceId", where, 0, 0xFFFF));
    id.subsystemVendorId =
        static_cast<std::uint16_t>(number(j, "subsystemVendorId", where, 0, 0xFFFF));
    id.subsystemId = static_cast<std::uint16_t>(number(j, "subsystemId", where, 0, 0xFFFF));
    id.portCount = static_cast<std::uint8_t>(number(j, "portCount", where, 1, kSlotCount));
    id.serialNumber = text(j, "serialNumber", where);
    id.model = text(j, "model", where);
    id.driverVersion = version<std::uint32_t, 4>(j, "driverVersion", where);
    id.biosVersion = version<std::uint16_t, 4>(j, "biosVersion", where);
    id.firmwareVersion = version<std::uint16_t, 4>(j, "firmwareVersion", where);
    id.bootLoaderVersion = version<std::uint16_t, 4>(j, "bootLoaderVersion", where);
    return id;
}

json enclosureJson(const Enclosure& e) {
    json disks = json::array();
    for (const auto& d : e.disks) {
        json blocks = json::array();
        for (const auto& b : d.blocks) {
            blocks.push_back({{"id", b.id},
                              {"sizeKiB", b.sizeKiB},
                              {"logicalDisk", b.logicalDisk ? json(*b.logicalDisk) : json()}});
        }
        disks.push_back({{"slot", d.slot},
                         {"sizeBytes", d.sizeBytes},
                         {"model", d.model},
                         {"serialNumber", d.serialNumber},
                         {"firmware", d.firmware},
                         {"blocks", blocks}});
    }
    json lds = json::array();
    for (const auto& ld : e.logicalDisks) {
        json j = {{"id", ld.id},
                  {"raidMode", static_cast<int>(ld.mode)},
                  {"memberCount", ld.memberCount},
                  {"blocks", ld.blocks},
                  {"sizeKiB", ld.sizeKiB}};
        putName(j, ld.name);
        lds.push_back(std::move(j));
    }
    json rebuilds = json::array();
    for (const auto& r : e.rebuilds) {
        rebuilds.push_back({{"logicalDisk", r.logicalDisk},
                            {"disk", r.disk},
                            {"block", r.block},
                            {"startNanoseconds", r.startNanoseconds}});
    }
    return {{"plugged", e.plugged},         {"controller", identityJson(e.identity)},
            {"autoRebuild", e.autoRebuild}, {"disks", disks},
            {"logicalDisks", lds},          {"rebuilds", rebuilds},
            {"nextBlockId", e.nextBlockId}, {"nextLogicalDiskId", e.nextLogicalDiskId}};
}

Enclosure enclosureFromJson(const json& j, const std::string& where) {
    Enclosure e;
    e.plugged = flag(j, "plugged", where);
    e.identity = identityFromJson(member(j, "controller", where), where + ", controller");
    e.autoRebuild = flag(j, "autoRebuild", where);
    e.nextBlockId = static_cast<std::uint16_t>(number(j, "nextBlockId", where, 0, 0xFFFF));
    e.nextLogicalDiskId =
        static_cast<std::uint16_t>(number(j, "nextLogicalDiskId", where, 0, 0xFFFF));

    std::set<std::uint16_t> blockIds;
    for (const auto& dj : list(j, "disks", where)) {
        const std::string at = where + ", disk " + std::to_string(e.disks.size());
        Disk d;
        d.slot = static_cast<int>(number(dj, "slot", at, 0, e.identity.portCount - 1));
        if (diskInSlot(e, d.slot)) {
            fail(at, "its slot holds another disk");
        }
        d.sizeBytes = number(dj, "sizeBytes", at, 1024, std::uint64_t{1} << 60);
        d.model = text(dj, "model", at);
        d.serialNumber = text(dj, "serialNumber", at);
        d.firmware = text(dj, "firmware", at);
        const json& blocks = list(dj, "blocks", at);
        if (blocks.size() > kMaxBlocksPerDisk) {
            fail(at, "has more than 16 blocks");
        }
        for (const auto& bj : blocks) {
            Block b;
            b.id = static_cast<std::uint16_t>(number(bj, "id", at, 1, 0xFFFE));
            b.sizeKiB = number(bj, "sizeKiB", at, 0, d.sizeKiB());
            const json& owner = member(bj, "logicalDisk", at);
            if (!owner.is_null()) {
                b.logicalDisk =
                    static_cast<std::uint16_t>(number(bj, "logicalDisk", at, 1, 0xFFFE));
            }
            if (!blockIds.insert(b.id).second) {
                fail(at, "block " + std::to_string(b.id) + " appears twice");
            }
            d.blocks.push_back(b);
        }
        auto pos = std::find_if(e.disks.begin(), e.disks.end(),
                                [&](const Disk& other) { return other.slot > d.slot; });
        e.disks.insert(pos, std::move(d));
    }

    for (const auto& lj : list(j, "logicalDisks", where)) {
        const std::string at = where + ", logical disk " + std::to_string(e.logicalDisks.size());
        LogicalDisk ld;
        ld.id = static_cast<std::uint16_t>(number(lj, "id", at, 1, 0xFFFE));
        if (findLogicalDisk(e, ld.id)) {
            fail(at, "its ID is taken");
        }
        ld.name = takeName(lj, at);
        ld.mode = static_cast<RaidMode>(number(lj, "raidMode", at, 0, 1));
        ld.memberCount = static_cast<int>(number(lj, "memberCount", at, 1, MV_MAX_LD_MEMBERS));
        ld.sizeKiB = number(lj, "sizeKiB", at, 1, kMaxSizeKiB);
        for (const auto& bj : list(lj, "blocks", at)) {
            if (!bj.is_number_unsigned() || bj.get<std::uint64_t>() > 0xFFFF) {
                fail(at, "lists a block that is not a block ID");
            }
            ld.blocks.push_back(static_cast<std::uint16_t>(bj.get<std::uint64_t>()));
        }
        if (static_cast<int>(ld.blocks.size()) > ld.memberCount) {
            fail(at, "has more blocks than members");
        }
        e.logicalDisks.push_back(std::move(ld));
    }

    // Blocks and logical disks must agree about who belongs to whom.
    for (const auto& ld : e.logicalDisks) {
        for (auto blockId : ld.blocks) {
            auto found = findBlock(e, blockId);
            if (!found.block || found.block->logicalDisk != ld.id) {
                fail(where, "logical disk " + std::to_string(ld.id) + " lists block " +
                                std::to_string(blockId) + ", which is not its");
            }
        }
    }
    for (const auto& d : e.disks) {
        for (const auto& b : d.blocks) {
            const LogicalDisk* owner = b.logicalDisk ? findLogicalDisk(e, *b.logicalDisk) : nullptr;
            if (b.logicalDisk &&
                (!owner || std::count(owner->blocks.begin(), owner->blocks.end(), b.id) != 1)) {
                fail(where, "block " + std::to_string(b.id) +
                                " belongs to a logical disk that does not list it");
            }
        }
    }

    for (const auto& rj : list(j, "rebuilds", where)) {
        const std::string at = where + ", rebuild " + std::to_string(e.rebuilds.size());
        Rebuild r;
        r.logicalDisk = static_cast<std::uint16_t>(number(rj, "logicalDisk", at, 1, 0xFFFE));
        r.disk = static_cast<std::uint16_t>(number(rj, "disk", at, 1, 0xFFFE));
        r.block = static_cast<std::uint16_t>(number(rj, "block", at, 1, 0xFFFE));
        const json& start = member(rj, "startNanoseconds", at);
        // Bounded so that time differences cannot overflow.
        constexpr std::int64_t kLimit = std::int64_t{1} << 62;
        if (!start.is_number_integer() || start.get<std::int64_t>() <= -kLimit ||
            (start.is_number_unsigned() && start.get<std::uint64_t>() >= std::uint64_t{kLimit}) ||
            start.get<std::int64_t>() >= kLimit) {
            fail(at, "\"startNanoseconds\" is not a whole number within 2^62");
        }
        r.startNanoseconds = start.get<std::int64_t>();
        auto found = findBlock(e, r.block);
        const LogicalDisk* ld = findLogicalDisk(e, r.logicalDisk);
        if (!ld || ld->mode != RaidMode::Raid1 || !found.block ||
            found.block->logicalDisk != r.logicalDisk || found.disk->deviceId() != r.disk) {
            fail(at, "does not match a mirror's block on that disk");
        }
        for (const auto& other : e.rebuilds) {
            if (other.logicalDisk == r.logicalDisk) {
                fail(at, "is the second rebuild of its logical disk");
            }
        }
        e.rebuilds.push_back(r);
    }
    return e;
}

}  // namespace

json toJson(const World& world) {
    json enclosures = json::array();
    for (const auto& e : world.enclosures) {
        enclosures.push_back(enclosureJson(e));
    }
    json foreign = json::array();
    for (const auto& f : world.foreignDisks) {
        foreign.push_back({{"name", f.name}, {"sizeBytes", f.sizeBytes}});
    }
    json faults = json::array();
    for (const auto& f : world.faults) {
        json j = {{"operation", f.operation}, {"times", f.remaining}};
        if (f.raise) {
            j["throw"] = true;
        } else {
            j["status"] = f.status;
        }
        faults.push_back(std::move(j));
    }
    return {{"format", kFormat},
            {"rebuildSeconds", world.rebuildSeconds},
            {"enclosures", enclosures},
            {"foreignDisks", foreign},
            {"faults", faults}};
}

World worldFromJson(const json& j) {
    const std::string where = "the world";
    if (number(j, "format", where, 0, 1000) != kFormat) {
        fail(where, "is of another format than " + std::to_string(kFormat));
    }
    World world;
    const json& seconds = member(j, "rebuildSeconds", where);
    if (!seconds.is_number() || !(seconds.get<double>() > 0) || seconds.get<double>() > 1e6) {
        fail(where, "\"rebuildSeconds\" is not a number of seconds above 0 and up to 1000000");
    }
    world.rebuildSeconds = seconds.get<double>();
    for (const auto& ej : list(j, "enclosures", where)) {
        world.enclosures.push_back(
            enclosureFromJson(ej, "enclosure " + std::to_string(world.enclosures.size())));
    }
    for (const auto& fj : list(j, "foreignDisks", where)) {
        const std::string at = "foreign disk " + std::to_string(world.foreignDisks.size());
        ForeignDisk f{text(fj, "name", at), number(fj, "sizeBytes", at, 0, std::uint64_t{1} << 60)};
        if (f.name.empty()) {
            fail(at, "has an empty name");
        }
        world.foreignDisks.push_back(std::move(f));
    }
    for (const auto& fj : list(j, "faults", where)) {
        const std::string at = "fault " + std::to_string(world.faults.size());
        Fault f;
        f.operation = text(fj, "operation", at);
        if (!isOperationName(f.operation)) {
            fail(at, "names no library operation: " + f.operation);
        }
        f.remaining = static_cast<int>(number(fj, "times", at, 0, 1'000'000'000));
        if (fj.contains("throw")) {
            f.raise = flag(fj, "throw", at);
        }
        if (!f.raise) {
            f.status = static_cast<std::uint8_t>(number(fj, "status", at, 0, 255));
        }
        world.faults.push_back(std::move(f));
    }
    return world;
}

std::string serializeWorld(const World& world) {
    return toJson(world).dump(2) + "\n";
}

World parseWorld(const std::string& text) {
    json j;
    try {
        j = json::parse(text);
    } catch (const json::exception& e) {
        throw WorldFormatError(std::string("it is not JSON (") + e.what() + ")");
    }
    try {
        return worldFromJson(j);
    } catch (const json::exception& e) {
        throw WorldFormatError(e.what());
    }
}

}  // namespace sim
