// Lookups of blocks that the RAID set object and the rebuild flow share. They
// are not guarded: a std::exception from the library reaches the caller.
#pragma once

#include <optional>
#include <vector>

#include "model/mv_api.h"

struct BlockOwner {
    MV_U16 hdid;         // the disk that holds the block
    bool assigned;       // the block belongs to a logical disk
    MV_U16 logicalDisk;  // that logical disk's ID; valid when assigned
};

// The block's record (MV_BLK_GetInfo), or empty on a non-zero status.
std::optional<BlockOwner> lookUpBlock(MV_U8 adapterId, MV_U16 blockId);

// The block IDs on a disk (MV_BLK_GetHDBlock), or empty on a non-zero status.
// A count above the list's room of 16 yields the 16 IDs that are there.
std::optional<std::vector<MV_U16>> lookUpDiskBlocks(MV_U8 adapterId, MV_U16 hdid);
