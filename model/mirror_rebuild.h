// Rebuilding a degraded mirror onto a disk of the enclosure that is not yet
// one of its members: which disk, the two warnings, freeing that disk of
// other volumes and starting the rebuild.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/marvell_controller.h"
#include "model/planned_change.h"

class MirrorRebuild {
  public:
    // The replacement is the first disk, in the controller's order, that holds
    // no member block of `set`. Refused without a known member (the survivor
    // could not be told from a free disk and might be wiped) or without a
    // disk outside the set; the refusal then names the empty slot, if any,
    // that a blank disk should go into.
    static Planned<MirrorRebuild> plan(std::shared_ptr<MarvellController> controller,
                                       std::shared_ptr<MarvellRAIDSet> set);

    const std::shared_ptr<MarvellController>& controller() const { return controller_; }
    const std::shared_ptr<MarvellRAIDSet>& set() const { return set_; }
    const std::shared_ptr<MarvellDisk>& replacement() const { return replacement_; }
    // The member the data is copied from; null when the controller does not list it.
    const std::shared_ptr<MarvellDisk>& survivor() const { return survivor_; }
    int survivorHDID() const { return survivorHDID_; }

    ChangeWarnings warnings() const;
    // Deletes every other volume with a block on the replacement, then wipes
    // it and starts the rebuild. The library's status; 255 when it raised,
    // and then no rebuild is started over a disk that may still be in use.
    MV_U8 execute() const;
    static LocalizedText failureInformation(MV_U8 status);

  private:
    MirrorRebuild() = default;

    std::shared_ptr<MarvellController> controller_;
    std::shared_ptr<MarvellRAIDSet> set_;
    std::shared_ptr<MarvellDisk> replacement_;
    std::shared_ptr<MarvellDisk> survivor_;
    int survivorHDID_ = 0;
};
