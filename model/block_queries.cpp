#include "model/block_queries.h"

#include <algorithm>

#include "model/library_binding.h"
#include "model/request_buffer.h"

std::optional<BlockOwner> lookUpBlock(MV_U8 adapterId, MV_U16 blockId) {
    BlockInfoBuffer request(MV_REQUEST_BY_ID, blockId);
    if (controllerLibrary().MV_BLK_GetInfo(adapterId, request.data()) != 0) {
        return std::nullopt;
    }
    const auto flags = request.field<MV_U8, offsetof(Block_Info, Flags)>();
    return BlockOwner{
        request.field<MV_U16, offsetof(Block_Info, HDID)>(),
        (flags & MV_BLOCK_FLAG_ASSIGNED) != 0,
        request.field<MV_U16, offsetof(Block_Info, LDID)>(),
    };
}

std::optional<std::vector<MV_U16>> lookUpDiskBlocks(MV_U8 adapterId, MV_U16 hdid) {
    DiskBlockListBuffer request(MV_REQUEST_BY_ID, hdid);
    if (controllerLibrary().MV_BLK_GetHDBlock(adapterId, request.data()) != 0) {
        return std::nullopt;
    }
    const auto list = request.record<HD_Block_Info>();
    const std::size_t count = std::min<std::size_t>(list.BlockCount, MV_MAX_HD_BLOCKS);
    return std::vector<MV_U16>(list.BlockIDs, list.BlockIDs + count);
}
