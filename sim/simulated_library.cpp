#include "sim/simulated_library.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "sim/records.h"

namespace sim {

namespace {

struct Request {
    MV_U8 kind = 0;
    MV_U16 key = 0;  // starting index or ID
};

std::optional<Request> readRequest(const void* buffer) {
    if (!buffer) {
        return std::nullopt;
    }
    RequestHeader header;
    std::memcpy(&header, buffer, sizeof header);
    // Every buffer has room for exactly one record.
    if ((header.RequestType != MV_REQUEST_ENUMERATE && header.RequestType != MV_REQUEST_BY_ID) ||
        header.NumberRequested != 1) {
        return std::nullopt;
    }
    return Request{header.RequestType, header.StartingIndexOrID};
}

template <class Record>
void reply(void* buffer, MV_U16 next, const Record& record) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::memcpy(bytes + offsetof(RequestHeader, NextStartingIndex), &next, sizeof next);
    std::memcpy(bytes + sizeof(RequestHeader), &record, sizeof record);
}

// The item a request names, by position or by ID. An enumeration of an empty
// list succeeds with no item and the end marker.
template <class Item, class IdOf>
Status pick(const std::vector<Item>& items,
            const Request& request,
            IdOf idOf,
            const Item*& item,
            MV_U16& next) {
    item = nullptr;
    next = MV_NO_MORE_ENTRIES;
    if (request.kind == MV_REQUEST_BY_ID) {
        for (const auto& candidate : items) {
            if (idOf(candidate) == request.key) {
                item = &candidate;
                return kOk;
            }
        }
        return kNoSuchObject;
    }
    if (items.empty() && request.key == 0) {
        return kOk;
    }
    if (request.key >= items.size()) {
        return kNoSuchObject;
    }
    item = &items[request.key];
    if (request.key + 1u < items.size()) {
        next = static_cast<MV_U16>(request.key + 1);
    }
    return kOk;
}

struct BlockRef {
    const Disk* disk;
    const Block* block;
};

std::vector<BlockRef> allBlocks(const Enclosure& enclosure) {
    std::vector<BlockRef> blocks;
    for (const auto& disk : enclosure.disks) {
        for (const auto& block : disk.blocks) {
            blocks.push_back({&disk, &block});
        }
    }
    return blocks;
}

std::uint16_t diskId(const Disk& disk) {
    return disk.deviceId();
}

std::uint16_t logicalDiskId(const LogicalDisk& ld) {
    return ld.id;
}

std::uint16_t blockId(const BlockRef& ref) {
    return ref.block->id;
}

const std::vector<Disk>& disksOf(const Enclosure& enclosure) {
    return enclosure.disks;
}

const std::vector<LogicalDisk>& logicalDisksOf(const Enclosure& enclosure) {
    return enclosure.logicalDisks;
}

// Answers one list or lookup request: the adapter, the item the header names
// (by position or by ID), and behind the header the record that `recordOf`
// makes of it (given null when an enumeration of an empty list names nothing).
template <class ItemsOf, class IdOf, class RecordOf>
MV_U8 answerRequest(const World& world,
                    MV_U8 adapterId,
                    void* request,
                    ItemsOf itemsOf,
                    IdOf idOf,
                    RecordOf recordOf) {
    const auto req = readRequest(request);
    if (!req) {
        return kInvalidRequest;
    }
    const Enclosure* enclosure = adapter(world, adapterId);
    if (!enclosure) {
        return kNoSuchAdapter;
    }
    auto&& items = itemsOf(*enclosure);
    const typename std::decay_t<decltype(items)>::value_type* item = nullptr;
    MV_U16 next = 0;
    if (Status s = pick(items, *req, idOf, item, next); s != kOk) {
        return s;
    }
    reply(request, next, recordOf(*enclosure, item));
    return kOk;
}

}  // namespace

SimulatedLibrary::SimulatedLibrary(std::shared_ptr<WorldStore> store, platform::Clock& clock)
    : store_(std::move(store)), clock_(clock) {}

Nanoseconds SimulatedLibrary::now() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(clock_.now().time_since_epoch())
        .count();
}

std::optional<MV_U8> SimulatedLibrary::takeFault(std::string_view operation, const World& world) {
    auto armed = [&](const Fault& f) { return f.operation == operation && f.remaining > 0; };
    if (std::none_of(world.faults.begin(), world.faults.end(), armed)) {
        return std::nullopt;
    }
    std::optional<Fault> hit;
    store_->update([&](World& w) {
        auto it = std::find_if(w.faults.begin(), w.faults.end(), armed);
        if (it == w.faults.end()) {
            return false;  // another process used it up meanwhile
        }
        hit = *it;
        if (--it->remaining <= 0) {
            w.faults.erase(it);
        }
        return true;
    });
    if (!hit) {
        return std::nullopt;
    }
    if (hit->raise) {
        throw InjectedFault("injected fault: " + std::string(operation) + " raised");
    }
    return hit->status;
}

template <class Query>
MV_U8 SimulatedLibrary::query(std::string_view operation, Query&& query, MV_U8 unavailable) {
    try {
        std::shared_ptr<const World> world = store_->read();
        if (auto status = takeFault(operation, *world)) {
            return *status;
        }
        return query(*world, Timing{now(), world->rebuildSeconds});
    } catch (const InjectedFault&) {
        throw;
    } catch (...) {
        return unavailable;
    }
}

template <class Change>
MV_U8 SimulatedLibrary::change(std::string_view operation, Change&& change) {
    try {
        if (auto status = takeFault(operation, *store_->read())) {
            return *status;
        }
        MV_U8 status = kOk;
        const Nanoseconds at = now();
        store_->update([&](World& world) {
            settleRebuilds(world, at);
            status = change(world, at);
            return status == kOk;
        });
        return status;
    } catch (const InjectedFault&) {
        throw;
    } catch (...) {
        return kWorldUnavailable;
    }
}

MV_U8 SimulatedLibrary::MV_API_Initialize() {
    return query("MV_API_Initialize", [](const World&, const Timing&) { return kOk; });
}

MV_U8 SimulatedLibrary::MV_API_RescanAdapter() {
    return query("MV_API_RescanAdapter", [](const World&, const Timing&) { return kOk; });
}

MV_U8 SimulatedLibrary::MV_API_Finalize() {
    return query("MV_API_Finalize", [](const World&, const Timing&) { return kOk; });
}

MV_U8 SimulatedLibrary::MV_Adapter_GetCount() {
    // Its result is the count, so an unreadable world has no adapters.
    return query(
        "MV_Adapter_GetCount",
        [](const World& world, const Timing&) {
            return static_cast<MV_U8>(std::min(adapterCount(world), 255));
        },
        0);
}

MV_U8 SimulatedLibrary::MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) {
    return query("MV_Adapter_GetInfo", [&](const World& world, const Timing&) -> MV_U8 {
        if (!count || !info) {
            return kInvalidRequest;
        }
        const Enclosure* enclosure = adapter(world, adapterId);
        if (!enclosure) {
            return kNoSuchAdapter;
        }
        const Adapter_Info record = adapterRecord(*enclosure, adapterId);
        std::memcpy(info, &record, sizeof record);
        *count = 1;
        return kOk;
    });
}

MV_U8 SimulatedLibrary::MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) {
    return query("MV_Adapter_GetConfig", [&](const World& world, const Timing&) -> MV_U8 {
        if (!config) {
            return kInvalidRequest;
        }
        const Enclosure* enclosure = adapter(world, adapterId);
        if (!enclosure) {
            return kNoSuchAdapter;
        }
        const Adapter_Config record = adapterConfigRecord(*enclosure);
        std::memcpy(config, &record, sizeof record);
        if (out) {
            *out = 1;
        }
        return kOk;
    });
}

MV_U8 SimulatedLibrary::MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) {
    if (!config) {
        return change("MV_Adapter_SetConfig", [](World&, Nanoseconds) { return kInvalidRequest; });
    }
    Adapter_Config wanted;
    std::memcpy(&wanted, config, sizeof wanted);
    return change("MV_Adapter_SetConfig", [&](World& world, Nanoseconds) -> MV_U8 {
        Enclosure* enclosure = adapter(world, adapterId);
        if (!enclosure) {
            return kNoSuchAdapter;
        }
        if (wanted.AutoRebuild > 1) {
            return kInvalidParameter;
        }
        enclosure->autoRebuild = wanted.AutoRebuild == 1;
        return kOk;
    });
}

MV_U8 SimulatedLibrary::MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) {
    return query("MV_PD_GetHDInfo_Ext", [&](const World& world, const Timing&) -> MV_U8 {
        return answerRequest(world, adapterId, request, disksOf, diskId,
                             [&](const Enclosure&, const Disk* disk) {
                                 return disk ? diskRecord(*disk, adapterId) : HD_Info{};
                             });
    });
}

MV_U8 SimulatedLibrary::MV_LD_GetInfo(MV_U8 adapterId, void* request) {
    return query("MV_LD_GetInfo", [&](const World& world, const Timing& timing) -> MV_U8 {
        return answerRequest(world, adapterId, request, logicalDisksOf, logicalDiskId,
                             [&](const Enclosure& enclosure, const LogicalDisk* ld) {
                                 return ld ? logicalDiskRecord(enclosure, *ld, adapterId, timing)
                                           : invalidLogicalDiskRecord();
                             });
    });
}

MV_U8 SimulatedLibrary::MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) {
    return query("MV_PD_GetHDRaidStatus", [&](const World& world, const Timing&) -> MV_U8 {
        return answerRequest(world, adapterId, request, disksOf, diskId,
                             [](const Enclosure&, const Disk* disk) {
                                 return disk ? diskStatusRecord(*disk) : HD_RAID_Status{};
                             });
    });
}

MV_U8 SimulatedLibrary::MV_LD_GetStatus(MV_U8 adapterId, void* request) {
    return query("MV_LD_GetStatus", [&](const World& world, const Timing& timing) -> MV_U8 {
        return answerRequest(world, adapterId, request, logicalDisksOf, logicalDiskId,
                             [&](const Enclosure& enclosure, const LogicalDisk* ld) {
                                 if (ld) {
                                     return logicalDiskStatusRecord(enclosure, *ld, timing);
                                 }
                                 LD_Status record{};
                                 record.Status = MV_LD_STATUS_INVALID;
                                 return record;
                             });
    });
}

MV_U8 SimulatedLibrary::MV_BLK_GetInfo(MV_U8 adapterId, void* request) {
    return query("MV_BLK_GetInfo", [&](const World& world, const Timing&) -> MV_U8 {
        return answerRequest(world, adapterId, request, allBlocks, blockId,
                             [](const Enclosure&, const BlockRef* ref) {
                                 return ref ? blockRecord(*ref->disk, *ref->block) : Block_Info{};
                             });
    });
}

MV_U8 SimulatedLibrary::MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) {
    return query("MV_BLK_GetHDBlock", [&](const World& world, const Timing&) -> MV_U8 {
        return answerRequest(world, adapterId, request, disksOf, diskId,
                             [](const Enclosure&, const Disk* disk) {
                                 return disk ? diskBlockList(*disk) : HD_Block_Info{};
                             });
    });
}

MV_U8 SimulatedLibrary::MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) {
    std::optional<Create_LD_Param> p;
    if (param) {
        p.emplace();
        std::memcpy(&*p, param, sizeof *p);
    }
    return change("MV_LD_Create", [&](World& world, Nanoseconds) -> MV_U8 {
        if (!p) {
            return kInvalidRequest;
        }
        Enclosure* enclosure = adapter(world, adapterId);
        if (!enclosure) {
            return kNoSuchAdapter;
        }
        if (p->RaidMode > MV_LD_MODE_RAID1 || p->HDCount > MV_MAX_LD_MEMBERS) {
            return kInvalidParameter;
        }
        std::vector<std::uint16_t> members(p->HDIDs, p->HDIDs + p->HDCount);
        const auto* name = reinterpret_cast<const char*>(p->Name);
        const std::string text(name, strnlen(name, sizeof p->Name));
        return createLogicalDisk(*enclosure, static_cast<RaidMode>(p->RaidMode), members, text,
                                 p->Size);
    });
}

MV_U8 SimulatedLibrary::MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8) {
    return change("MV_LD_Delete", [&](World& world, Nanoseconds) -> MV_U8 {
        Enclosure* enclosure = adapter(world, adapterId);
        return enclosure ? deleteLogicalDisk(*enclosure, ldId) : kNoSuchAdapter;
    });
}

MV_U8 SimulatedLibrary::MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8) {
    return change("MV_PD_WipeHDMDD", [&](World& world, Nanoseconds) -> MV_U8 {
        Enclosure* enclosure = adapter(world, adapterId);
        return enclosure ? wipeDisk(*enclosure, hdId) : kNoSuchAdapter;
    });
}

MV_U8 SimulatedLibrary::MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) {
    return change("MV_LD_StartRebuild", [&](World& world, Nanoseconds at) -> MV_U8 {
        Enclosure* enclosure = adapter(world, adapterId);
        return enclosure ? startRebuild(*enclosure, ldId, hdId, at) : kNoSuchAdapter;
    });
}

MV_U8 SimulatedLibrary::MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) {
    return change("MV_LD_BGAControl", [&](World& world, Nanoseconds) -> MV_U8 {
        Enclosure* enclosure = adapter(world, adapterId);
        if (!enclosure) {
            return kNoSuchAdapter;
        }
        if (code != MV_BGA_CONTROL_CANCEL_REBUILD) {
            return kInvalidParameter;
        }
        return cancelRebuild(*enclosure, ldId);
    });
}

}  // namespace sim
