// One logical disk (RAID set) as the controller reported it in the last RAID
// set walk. Holds a copy of the library's record; status, rebuild progress and
// member disks are asked of the library on every call.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/library_status.h"
#include "model/mv_api.h"
#include "platform/core/object.h"

class MarvellRAIDSet : public platform::Object {
    struct Private {};

  public:
    // What status() yields beyond the library's codes.
    static constexpr int kStatusRebuilding = library_status::kSetRebuilding;
    static constexpr int kStatusUnknown = library_status::kSetUnreadable;

    // Copies the whole record; null when `info` is null.
    static std::shared_ptr<MarvellRAIDSet> initWithInfo(const LD_Info* info);
    MarvellRAIDSet(Private, const LD_Info& info);

    int vdid() const;
    int mode() const;  // MV_LD_MODE_*
    int memberCount() const;
    std::uint64_t capacity() const;  // bytes
    // Empty when the stored name is not valid UTF-8.
    std::optional<std::string> name() const;
    std::vector<int> members() const;  // member block IDs, in record order
    std::vector<int> disks() const;    // device IDs holding the member blocks, ascending
    // disks(), and whether every member block could be looked up.
    struct DiskIDs {
        std::vector<int> ids;
        bool complete = true;
    };
    DiskIDs readDisks() const;

    // The status and rebuild progress of one status query.
    struct LiveState {
        int status = 0;    // MV_LD_STATUS_* or kStatusRebuilding
        int progress = 0;  // percent; 0 when no rebuild runs
    };
    // Empty when the controller could not be asked.
    std::optional<LiveState> readState() const;
    std::optional<int> readStatus() const;

    int status() const;  // readStatus(), or kStatusUnknown when it could not be read
    // Says so when the status could not be read.
    std::string statusString() const;
    // The texts statusString() and modeString() give for these values,
    // without asking the library.
    static std::string statusText(std::optional<int> status);
    static std::string modeText(int mode);
    std::string modeString() const;
    int rebuildProgress() const;  // percent; 0 when no rebuild runs

    MV_U8 rebuild(std::uint16_t hdid);
    // Not guarded: an exception from the library reaches the caller.
    MV_U8 cancelRebuild();

    const LD_Info& info() const { return fInfo; }

  private:
    LD_Info fInfo;
};
