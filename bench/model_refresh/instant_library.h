// A controller library held in memory that answers every call at once, so a
// benchmark measures the model's own code.
#pragma once

#include <cstring>
#include <vector>

#include "model/controller_library.h"

class InstantLibrary final : public ControllerLibrary {
  public:
    // `disks` disks with IDs 1..disks; `sets` mirrored sets, set i made of
    // blocks 2i and 2i+1 on disks 2i+1 and 2i+2 (wrapping).
    InstantLibrary(int disks, int sets) : diskCount_(disks), setCount_(sets) {}

    long calls = 0;

    MV_U8 MV_API_Initialize() override { return ++calls, 0; }
    MV_U8 MV_API_RescanAdapter() override { return ++calls, 0; }
    MV_U8 MV_API_Finalize() override { return ++calls, 0; }
    MV_U8 MV_Adapter_GetCount() override { return ++calls, 1; }
    MV_U8 MV_Adapter_GetInfo(MV_U8, MV_U8* count, Adapter_Info*) override {
        ++calls;
        *count = 1;
        return 0;
    }
    MV_U8 MV_Adapter_GetConfig(MV_U8, MV_U8*, Adapter_Config*) override { return ++calls, 0; }
    MV_U8 MV_Adapter_SetConfig(MV_U8, Adapter_Config*) override { return ++calls, 0; }

    MV_U8 MV_PD_GetHDInfo_Ext(MV_U8, void* request) override {
        ++calls;
        const MV_U16 index = startOf(request);
        HD_Info record{};
        record.Link.Self.DevID = static_cast<MV_U16>(index + 1);
        record.Link.Self.DevType = MV_DEVICE_TYPE_HD;
        record.Size.value = 1'953'514'584;
        reply(request, record, index + 1 < diskCount_ ? index + 1 : MV_NO_MORE_ENTRIES);
        return 0;
    }
    MV_U8 MV_LD_GetInfo(MV_U8, void* request) override {
        ++calls;
        const MV_U16 index = startOf(request);
        if (setCount_ == 0) {
            LD_Info none{};
            none.Status = MV_LD_STATUS_INVALID;
            reply(request, none, MV_NO_MORE_ENTRIES);
            return 0;
        }
        LD_Info record{};
        record.ID = index;
        record.RaidMode = MV_LD_MODE_RAID1;
        record.HDCount = 2;
        record.BlockIDs[0] = static_cast<MV_U16>(2 * index);
        record.BlockIDs[1] = static_cast<MV_U16>(2 * index + 1);
        std::memcpy(record.Name, "Volume", 6);
        reply(request, record, index + 1 < setCount_ ? index + 1 : MV_NO_MORE_ENTRIES);
        return 0;
    }
    MV_U8 MV_PD_GetHDRaidStatus(MV_U8, void* request) override {
        ++calls;
        HD_RAID_Status record{};
        record.Status = MV_HD_STATUS_ASSIGNED;
        reply(request, record);
        return 0;
    }
    MV_U8 MV_LD_GetStatus(MV_U8, void* request) override {
        ++calls;
        LD_Status record{};
        record.Status = MV_LD_STATUS_FUNCTIONAL;
        reply(request, record);
        return 0;
    }
    MV_U8 MV_BLK_GetInfo(MV_U8, void* request) override {
        ++calls;
        const MV_U16 block = startOf(request);
        Block_Info record{};
        record.ID = block;
        record.HDID = static_cast<MV_U16>(block % diskCount_ + 1);
        record.Flags = MV_BLOCK_FLAG_ASSIGNED;
        record.LDID = static_cast<MV_U16>(block / 2);
        reply(request, record);
        return 0;
    }
    MV_U8 MV_BLK_GetHDBlock(MV_U8, void*) override { return ++calls, 1; }
    MV_U8 MV_LD_Create(MV_U8, Create_LD_Param*) override { return ++calls, 0; }
    MV_U8 MV_LD_Delete(MV_U8, MV_U16, MV_U8) override { return ++calls, 0; }
    MV_U8 MV_PD_WipeHDMDD(MV_U8, MV_U16, MV_U8) override { return ++calls, 0; }
    MV_U8 MV_LD_StartRebuild(MV_U8, MV_U16, MV_U16) override { return ++calls, 0; }
    MV_U8 MV_LD_BGAControl(MV_U8, MV_U16, MV_U8) override { return ++calls, 0; }

  private:
    static MV_U16 startOf(const void* request) {
        RequestHeader header;
        std::memcpy(&header, request, sizeof header);
        return header.StartingIndexOrID;
    }
    template <class Record>
    static void reply(void* request, const Record& record, int next = MV_NO_MORE_ENTRIES) {
        auto* bytes = static_cast<unsigned char*>(request);
        std::memcpy(bytes + sizeof(RequestHeader), &record, sizeof record);
        const auto nextIndex = static_cast<MV_U16>(next);
        std::memcpy(bytes + offsetof(RequestHeader, NextStartingIndex), &nextIndex,
                    sizeof nextIndex);
    }

    int diskCount_;
    int setCount_;
};
