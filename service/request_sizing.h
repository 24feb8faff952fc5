// The sizes of the buffers the library fills, decided by the service alone:
// a request buffer is one RequestHeader and room for exactly one reply record
// of the operation, and a record passed in is exactly the record's size. A
// request that asks for anything else (another length, another count, an
// unknown request kind, an unterminated volume name) is refused before the
// library sees it, so the library never writes or reads past memory the
// service owns.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace service {

// The operations that take a request buffer (header + one record).
enum class RequestOperation {
    DiskInfo,       // MV_PD_GetHDInfo_Ext
    RAIDSetInfo,    // MV_LD_GetInfo
    DiskStatus,     // MV_PD_GetHDRaidStatus
    RAIDSetStatus,  // MV_LD_GetStatus
    BlockInfo,      // MV_BLK_GetInfo
    DiskBlockList,  // MV_BLK_GetHDBlock
};

// Header and record together.
std::size_t requestSize(RequestOperation operation);

// Why `request` cannot be handed to the library, or nothing when it can.
std::optional<std::string> refuseRequest(RequestOperation operation,
                                         std::span<const unsigned char> request);
// The same for the adapter settings record of MV_Adapter_SetConfig.
std::optional<std::string> refuseAdapterConfig(std::span<const unsigned char> record);
// The same for the volume-creation parameters of MV_LD_Create.
std::optional<std::string> refuseCreateParameters(std::span<const unsigned char> parameters);

}  // namespace service
