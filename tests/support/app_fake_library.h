// A small enclosure world behind the controller library seam, for the
// application's tests: adapters with disks, blocks and logical disks that the
// library calls read and change as the real controller would. Every call is
// logged, and a test can make any call fail with a status or raise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/controller_library.h"

struct AppFakeDisk {
    MV_U16 id = 1;
    std::uint64_t sizeKB = 1953514584;    // 2 TB
    std::optional<MV_U8> statusOverride;  // otherwise free (1) or assigned (2)
    MV_U8 devType = MV_DEVICE_TYPE_HD;
    std::string model = "FAKE HDD 2TB";
    std::string serial;  // "SN<id>" unless set
};

struct AppFakeBlock {
    MV_U16 id = 0;
    MV_U16 hdid = 0;
    std::optional<MV_U16> ldid;
};

struct AppFakeVolume {
    MV_U16 id = 0;
    MV_U8 mode = MV_LD_MODE_RAID1;
    MV_U8 status = MV_LD_STATUS_FUNCTIONAL;
    bool rebuilding = false;
    MV_U16 progress = 0;
    std::string name = "Volume";  // raw bytes, copied into the 16-byte field
    std::vector<MV_U16> blocks;
    std::uint64_t sizeKB = 1953514584;
    MV_U8 recordStatus = 0;  // 0xFF: listed but not a set to show
};

struct AppFakeAdapter {
    std::vector<AppFakeDisk> disks;
    std::vector<AppFakeBlock> blocks;
    std::vector<AppFakeVolume> volumes;
};

class AppFakeLibrary : public ControllerLibrary {
  public:
    std::vector<AppFakeAdapter> adapters;
    std::vector<std::string> calls;
    // Consulted before every call with its name: may throw, or return a status
    // to answer instead of doing the call.
    std::function<std::optional<MV_U8>(const std::string& op)> fault;

    // --- building a world
    AppFakeAdapter& addAdapter() { return adapters.emplace_back(); }

    static void addDisk(AppFakeAdapter& a, MV_U16 id, std::uint64_t sizeKB = 1953514584) {
        AppFakeDisk d;
        d.id = id;
        d.sizeKB = sizeKB;
        d.serial = "SN" + std::to_string(id);
        a.disks.push_back(d);
    }

    // A volume with one member block on each of the given disks.
    static AppFakeVolume& addVolume(AppFakeAdapter& a,
                                    MV_U16 id,
                                    MV_U8 mode,
                                    const std::vector<MV_U16>& onDisks,
                                    std::string name = "Volume") {
        AppFakeVolume v;
        v.id = id;
        v.mode = mode;
        v.name = std::move(name);
        for (MV_U16 hd : onDisks) {
            v.blocks.push_back(addBlock(a, hd, id));
        }
        a.volumes.push_back(v);
        return a.volumes.back();
    }

    static MV_U16 addBlock(AppFakeAdapter& a, MV_U16 hdid, std::optional<MV_U16> ldid) {
        MV_U16 id = 100;
        for (const auto& b : a.blocks) {
            id = std::max<MV_U16>(id, static_cast<MV_U16>(b.id + 1));
        }
        a.blocks.push_back({id, hdid, ldid});
        return id;
    }

    static AppFakeVolume* volume(AppFakeAdapter& a, MV_U16 id) {
        for (auto& v : a.volumes) {
            if (v.id == id) {
                return &v;
            }
        }
        return nullptr;
    }

    // The volume at `index` of adapter 0 (tests that change the world in place).
    AppFakeVolume* volumes(std::size_t index) {
        return !adapters.empty() && index < adapters[0].volumes.size() ? &adapters[0].volumes[index]
                                                                       : nullptr;
    }

    int count(const std::string& op) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
                return c.compare(0, op.size(), op) == 0 &&
                       (c.size() == op.size() || c[op.size()] == '(');
            }));
    }

    // --- the library
    MV_U8 MV_API_Initialize() override { return enter("MV_API_Initialize").value_or(0); }
    MV_U8 MV_API_RescanAdapter() override { return enter("MV_API_RescanAdapter").value_or(0); }
    MV_U8 MV_API_Finalize() override { return enter("MV_API_Finalize").value_or(0); }
    MV_U8 MV_Adapter_GetCount() override {
        return enter("MV_Adapter_GetCount").value_or(static_cast<MV_U8>(adapters.size()));
    }
    MV_U8 MV_Adapter_GetInfo(MV_U8 id, MV_U8* count, Adapter_Info* info) override {
        if (auto s = enter("MV_Adapter_GetInfo", id)) {
            return *s;
        }
        if (id >= adapters.size()) {
            return 1;
        }
        *count = 1;
        std::memset(info, 0, sizeof *info);
        info->VenID = 0x1B4B;
        info->DevID = 0x9230;
        return 0;
    }
    MV_U8 MV_Adapter_GetConfig(MV_U8 id, MV_U8*, Adapter_Config* c) override {
        if (auto s = enter("MV_Adapter_GetConfig", id)) {
            return *s;
        }
        std::memset(c, 0, sizeof *c);
        return 0;
    }
    MV_U8 MV_Adapter_SetConfig(MV_U8 id, Adapter_Config*) override {
        return enter("MV_Adapter_SetConfig", id).value_or(0);
    }

    MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 id, void* request) override {
        if (auto s = enter("MV_PD_GetHDInfo_Ext", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        if (!a || h.StartingIndexOrID >= a->disks.size()) {
            return 1;
        }
        const AppFakeDisk& d = a->disks[h.StartingIndexOrID];
        HD_Info info{};
        info.Link.Self.DevID = d.id;
        info.Link.Self.DevType = d.devType;
        info.AdapterID = id;
        info.Size.value = d.sizeKB;
        // Space-padded, as drives report them.
        std::memset(info.Model, ' ', sizeof info.Model);
        std::memcpy(info.Model, d.model.data(), std::min(d.model.size(), sizeof info.Model));
        std::memset(info.SerialNo, ' ', sizeof info.SerialNo);
        std::memcpy(info.SerialNo, d.serial.data(),
                    std::min(d.serial.size(), sizeof info.SerialNo));
        std::memcpy(static_cast<char*>(request) + 16, &info, sizeof info);
        setNext(request, h, a->disks.size());
        return 0;
    }
    MV_U8 MV_LD_GetInfo(MV_U8 id, void* request) override {
        if (auto s = enter("MV_LD_GetInfo", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        if (!a || h.StartingIndexOrID >= a->volumes.size()) {
            return 1;
        }
        const AppFakeVolume& v = a->volumes[h.StartingIndexOrID];
        LD_Info info{};
        info.ID = v.id;
        info.Status = v.recordStatus;
        info.RaidMode = v.mode;
        info.HDCount = static_cast<MV_U8>(std::min<std::size_t>(v.blocks.size(), 128));
        info.AdapterID = id;
        info.Size.value = v.sizeKB;
        std::memcpy(info.Name, v.name.data(), std::min<std::size_t>(v.name.size(), 16));
        for (std::size_t i = 0; i < info.HDCount; ++i) {
            info.BlockIDs[i] = v.blocks[i];
        }
        std::memcpy(static_cast<char*>(request) + 16, &info, sizeof info);
        setNext(request, h, a->volumes.size());
        return 0;
    }
    MV_U8 MV_PD_GetHDRaidStatus(MV_U8 id, void* request) override {
        if (auto s = enter("MV_PD_GetHDRaidStatus", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        const AppFakeDisk* d = a ? findDisk(*a, h.StartingIndexOrID) : nullptr;
        if (!d) {
            return 1;
        }
        HD_RAID_Status st{};
        st.Status = d->statusOverride.value_or(diskAssigned(*a, d->id) ? MV_HD_STATUS_ASSIGNED
                                                                       : MV_HD_STATUS_FREE);
        std::memcpy(static_cast<char*>(request) + 16, &st, sizeof st);
        return 0;
    }
    MV_U8 MV_LD_GetStatus(MV_U8 id, void* request) override {
        if (auto s = enter("MV_LD_GetStatus", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        AppFakeVolume* v = a ? volume(*a, h.StartingIndexOrID) : nullptr;
        if (!v) {
            return 1;
        }
        LD_Status st{};
        st.Status = v->status;
        st.Flags = v->rebuilding ? MV_LD_FLAG_REBUILDING : 0;
        st.Percentage = v->progress;
        std::memcpy(static_cast<char*>(request) + 16, &st, sizeof st);
        return 0;
    }
    MV_U8 MV_BLK_GetInfo(MV_U8 id, void* request) override {
        if (auto s = enter("MV_BLK_GetInfo", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        if (!a) {
            return 1;
        }
        for (const auto& b : a->blocks) {
            if (b.id == h.StartingIndexOrID) {
                Block_Info info{};
                info.ID = b.id;
                info.HDID = b.hdid;
                info.Flags = b.ldid ? MV_BLOCK_FLAG_ASSIGNED : 0;
                info.LDID = b.ldid.value_or(0);
                std::memcpy(static_cast<char*>(request) + 16, &info, sizeof info);
                return 0;
            }
        }
        return 1;
    }
    MV_U8 MV_BLK_GetHDBlock(MV_U8 id, void* request) override {
        if (auto s = enter("MV_BLK_GetHDBlock", id)) {
            return *s;
        }
        auto* a = adapter(id);
        RequestHeader h = header(request);
        if (!a || !findDisk(*a, h.StartingIndexOrID)) {
            return 1;
        }
        HD_Block_Info list{};
        for (const auto& b : a->blocks) {
            if (b.hdid == h.StartingIndexOrID && list.BlockCount < MV_MAX_HD_BLOCKS) {
                list.BlockIDs[list.BlockCount++] = b.id;
            }
        }
        std::memcpy(static_cast<char*>(request) + 16, &list, sizeof list);
        return 0;
    }

    MV_U8 MV_LD_Create(MV_U8 id, Create_LD_Param* p) override {
        if (auto s = enter("MV_LD_Create", id, p->RaidMode)) {
            return *s;
        }
        auto* a = adapter(id);
        if (!a || p->HDCount == 0) {
            return 1;
        }
        MV_U16 ldid = 1;
        for (const auto& v : a->volumes) {
            ldid = std::max<MV_U16>(ldid, static_cast<MV_U16>(v.id + 1));
        }
        lastCreate = *p;
        std::vector<MV_U16> members(p->HDIDs, p->HDIDs + p->HDCount);
        auto& v = addVolume(*a, ldid, p->RaidMode, members,
                            std::string(reinterpret_cast<const char*>(p->Name),
                                        strnlen(reinterpret_cast<const char*>(p->Name), 16)));
        v.sizeKB = p->Size;
        return 0;
    }
    MV_U8 MV_LD_Delete(MV_U8 id, MV_U16 ldid, MV_U8 flag) override {
        if (auto s = enter("MV_LD_Delete", id, ldid, flag)) {
            return *s;
        }
        auto* a = adapter(id);
        if (!a || !volume(*a, ldid)) {
            return 1;
        }
        std::erase_if(a->volumes, [&](const AppFakeVolume& v) { return v.id == ldid; });
        std::erase_if(a->blocks, [&](const AppFakeBlock& b) { return b.ldid == ldid; });
        return 0;
    }
    MV_U8 MV_PD_WipeHDMDD(MV_U8 id, MV_U16 hdid, MV_U8 flag) override {
        if (auto s = enter("MV_PD_WipeHDMDD", id, hdid, flag)) {
            return *s;
        }
        auto* a = adapter(id);
        if (!a || !findDisk(*a, hdid)) {
            return 1;
        }
        for (auto& v : a->volumes) {
            std::erase_if(v.blocks, [&](MV_U16 blk) {
                for (const auto& b : a->blocks) {
                    if (b.id == blk && b.hdid == hdid) {
                        return true;
                    }
                }
                return false;
            });
            if (v.mode == MV_LD_MODE_RAID1 && v.blocks.size() < 2) {
                v.status = MV_LD_STATUS_DEGRADE;
                v.rebuilding = false;
            }
        }
        std::erase_if(a->blocks, [&](const AppFakeBlock& b) { return b.hdid == hdid; });
        return 0;
    }
    MV_U8 MV_LD_StartRebuild(MV_U8 id, MV_U16 ldid, MV_U16 hdid) override {
        if (auto s = enter("MV_LD_StartRebuild", id, ldid, hdid)) {
            return *s;
        }
        auto* a = adapter(id);
        AppFakeVolume* v = a ? volume(*a, ldid) : nullptr;
        if (!v || !findDisk(*a, hdid)) {
            return 1;
        }
        MV_U16 blk = addBlock(*a, hdid, ldid);
        v = volume(*a, ldid);
        v->blocks.push_back(blk);
        v->rebuilding = true;
        v->progress = 0;
        return 0;
    }
    MV_U8 MV_LD_BGAControl(MV_U8 id, MV_U16 ldid, MV_U8 code) override {
        if (auto s = enter("MV_LD_BGAControl", id, ldid, code)) {
            return *s;
        }
        auto* a = adapter(id);
        AppFakeVolume* v = a ? volume(*a, ldid) : nullptr;
        if (!v) {
            return 1;
        }
        v->rebuilding = false;
        return 0;
    }

    Create_LD_Param lastCreate{};

  private:
    template <class... Args>
    std::optional<MV_U8> enter(const std::string& op, Args... args) {
        std::string entry = op;
        if constexpr (sizeof...(Args) > 0) {
            entry += "(";
            bool first = true;
            ((entry += (first ? "" : ","), entry += std::to_string(static_cast<int>(args)),
              first = false),
             ...);
            entry += ")";
        }
        calls.push_back(entry);
        return fault ? fault(op) : std::nullopt;
    }

    AppFakeAdapter* adapter(MV_U8 id) { return id < adapters.size() ? &adapters[id] : nullptr; }

    static RequestHeader header(const void* request) {
        RequestHeader h;
        std::memcpy(&h, request, sizeof h);
        return h;
    }

    static void setNext(void* request, RequestHeader h, std::size_t size) {
        h.NextStartingIndex =
            static_cast<MV_U16>(h.StartingIndexOrID + 1u < size ? h.StartingIndexOrID + 1u
                                                                : unsigned{MV_NO_MORE_ENTRIES});
        std::memcpy(request, &h, sizeof h);
    }

    static const AppFakeDisk* findDisk(const AppFakeAdapter& a, MV_U16 id) {
        for (const auto& d : a.disks) {
            if (d.id == id) {
                return &d;
            }
        }
        return nullptr;
    }

    static bool diskAssigned(const AppFakeAdapter& a, MV_U16 id) {
        return std::any_of(a.blocks.begin(), a.blocks.end(),
                           [&](const AppFakeBlock& b) { return b.hdid == id && b.ldid; });
    }
};
