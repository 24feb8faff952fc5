// One RAID controller (adapter) of the controller library, with the disks and
// RAID sets of its last walks and the operations that change its configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"
#include "model/mv_api.h"
#include "platform/core/object.h"

class MarvellController : public platform::Object {
    struct Private {};

  public:
    using DiskList = std::vector<std::shared_ptr<MarvellDisk>>;
    using RAIDSetList = std::vector<std::shared_ptr<MarvellRAIDSet>>;

    // Status of createVD for a volume type above 2.
    static constexpr MV_U8 kInvalidVolumeType = 7;

    // The adapters the library lists, in ascending index; never fails.
    static std::vector<std::shared_ptr<MarvellController>> scanForControllers();
    // The same adapters, and whether the list could be read whole: false when
    // the count or an adapter's record could not be read (that adapter is left
    // out, as scanForControllers leaves it out).
    struct ControllerScan {
        std::vector<std::shared_ptr<MarvellController>> controllers;
        bool complete = true;
    };
    static ControllerScan enumerateControllers();
    // The library's adapter count; 0 when the library raised.
    static int controllerCount();
    // Copies `adapter` when given; otherwise reads the record from the library.
    // Null when that read fails.
    static std::shared_ptr<MarvellController> initWithID(int id,
                                                         const Adapter_Info* adapter = nullptr);

    explicit MarvellController(Private, int id);
    ~MarvellController() override;

    void invalidate();

    // Refill disks() / raidSets() from the library: 0 when the walk reached its
    // end, the failing call's status, or 255 when the library raised.
    MV_U8 scanForDisks();
    MV_U8 scanForRAIDSets();

    std::shared_ptr<MarvellDisk> findDiskByHDID(std::uint16_t hdid) const;

    DiskList disks() const { return disks_; }
    void setDisks(DiskList disks) { disks_ = std::move(disks); }
    RAIDSetList raidSets() const { return raidSets_; }
    void setRaidSets(RAIDSetList sets) { raidSets_ = std::move(sets); }

    // Configuration changes; each returns a library status.
    MV_U8 createVD(const std::string& name, std::int64_t type);
    MV_U8 deleteVD();
    MV_U8 wipeDisks();
    MV_U8 autoRebuild(bool on);
    // Frees disk `hdid` for a rebuild of volume `keepVdid`: deletes every
    // other volume that has a block on it. The block lookups are guarded (a
    // failed one frees nothing more); a deletion that raises reaches the
    // caller, which must then not start the rebuild. Deletion statuses are
    // not looked at.
    void freeDiskForRebuild(std::uint16_t hdid, int keepVdid);

    int cid() const { return cid_; }
    const Adapter_Info& config() const { return config_; }

  private:
    MV_U8 adapterId() const { return static_cast<MV_U8>(cid_); }

    int cid_;
    Adapter_Info config_{};
    DiskList disks_;
    RAIDSetList raidSets_;
};
