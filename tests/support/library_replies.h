// Records and reply actions for tests that talk to a mocked controller library.
#pragma once

#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "model/mv_api.h"

namespace library_replies {

inline HD_Info diskRecord(MV_U16 devId,
                          MV_U64 sizeUnits = 0,
                          MV_U8 adapterId = 0,
                          MV_U8 devType = MV_DEVICE_TYPE_HD) {
    HD_Info record{};
    record.Link.Self.DevID = devId;
    record.Link.Self.DevType = devType;
    record.AdapterID = adapterId;
    record.Size.value = sizeUnits;
    return record;
}

inline LD_Info raidSetRecord(MV_U16 id,
                             MV_U8 raidMode = MV_LD_MODE_RAID1,
                             std::initializer_list<MV_U16> blocks = {},
                             MV_U8 adapterId = 0,
                             std::string_view name = {}) {
    LD_Info record{};
    record.ID = id;
    record.RaidMode = raidMode;
    record.HDCount = static_cast<MV_U8>(blocks.size());
    record.AdapterID = adapterId;
    std::copy(blocks.begin(), blocks.end(), record.BlockIDs);
    std::copy_n(name.begin(), std::min(name.size(), sizeof record.Name), record.Name);
    return record;
}

// The request header at the front of a buffer the model handed to the library.
inline RequestHeader headerOf(const void* request) {
    RequestHeader header;
    std::memcpy(&header, request, sizeof header);
    return header;
}

// A list reply: `record` behind the header and `next` as the next index.
template <class Record>
auto replyEntry(Record record, MV_U16 next = MV_NO_MORE_ENTRIES) {
    return [record, next](MV_U8, void* request) -> MV_U8 {
        auto* bytes = static_cast<unsigned char*>(request);
        std::memcpy(bytes + sizeof(RequestHeader), &record, sizeof record);
        std::memcpy(bytes + offsetof(RequestHeader, NextStartingIndex), &next, sizeof next);
        return 0;
    };
}

// A lookup reply: `record` behind the header, and `status` returned.
template <class Record>
auto replyRecord(Record record, MV_U8 status = 0) {
    return [record, status](MV_U8, void* request) -> MV_U8 {
        std::memcpy(static_cast<unsigned char*>(request) + sizeof(RequestHeader), &record,
                    sizeof record);
        return status;
    };
}

// The header the model must send: zero apart from kind, ID or index, and count 1.
MATCHER_P2(IsRequest, kind, indexOrId, "") {
    const RequestHeader header = headerOf(arg);
    const RequestHeader expected{
        0, static_cast<MV_U8>(kind), static_cast<MV_U16>(indexOrId), 1, 0, header.NextStartingIndex,
        {}};
    if (std::memcmp(&header, &expected, sizeof header) != 0) {
        *result_listener << "kind " << int(header.RequestType) << ", index or ID "
                         << header.StartingIndexOrID << ", count " << header.NumberRequested;
        return false;
    }
    return true;
}

}  // namespace library_replies
