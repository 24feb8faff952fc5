// Cancelling the rebuild that runs on a volume. The window does it at one
// press, without a question; other front ends may ask the one warning.
#pragma once

#include <memory>

#include "model/marvell_raid_set.h"
#include "model/planned_change.h"

class RebuildCancellation {
  public:
    // Refused unless the set reports a running rebuild (asked of the library once).
    static Planned<RebuildCancellation> plan(std::shared_ptr<MarvellRAIDSet> set);

    const std::shared_ptr<MarvellRAIDSet>& set() const { return set_; }
    ChangeWarnings warnings() const;
    // The library's status; 255 when it raised.
    MV_U8 execute() const;
    static LocalizedText failureInformation(MV_U8 status);

  private:
    explicit RebuildCancellation(std::shared_ptr<MarvellRAIDSet> set) : set_(std::move(set)) {}

    std::shared_ptr<MarvellRAIDSet> set_;
};

// What a volume is called to the user: its name, or a stand-in naming its ID
// when the stored name is empty or not text.
std::string volumeDisplayName(const MarvellRAIDSet& set);
