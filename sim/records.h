// The library's records as the simulated controller fills them.
#pragma once

#include "model/mv_api.h"
#include "sim/enclosure_rules.h"

namespace sim {

Adapter_Info adapterRecord(const Enclosure& enclosure, int adapterId);
Adapter_Config adapterConfigRecord(const Enclosure& enclosure);
HD_Info diskRecord(const Disk& disk, int adapterId);
HD_RAID_Status diskStatusRecord(const Disk& disk);
LD_Info logicalDiskRecord(const Enclosure& enclosure,
                          const LogicalDisk& ld,
                          int adapterId,
                          const Timing& timing);
LD_Status logicalDiskStatusRecord(const Enclosure& enclosure,
                                  const LogicalDisk& ld,
                                  const Timing& timing);
Block_Info blockRecord(const Disk& disk, const Block& block);
HD_Block_Info diskBlockList(const Disk& disk);

// The record an enumeration of an empty list answers with: one the
// application passes over (device type 0, logical-disk status 0xFF).
LD_Info invalidLogicalDiskRecord();

}  // namespace sim
