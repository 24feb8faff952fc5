// The library status codes the application looks at, by name. A set's status
// comes from the library's logical-disk status query; the others are results
// of calls that change the controller.
#pragma once

#include <cstdint>

#include "model/guard.h"
#include "model/mv_api.h"

namespace library_status {

// The call succeeded.
inline constexpr std::uint8_t kSuccess = 0;
// The library raised, or a query failed, or there was nothing to ask.
inline constexpr std::uint8_t kRaised = kStatusRaised;

// Statuses of a RAID set.
inline constexpr int kSetFunctional = MV_LD_STATUS_FUNCTIONAL;  // 0
inline constexpr int kSetDegraded = MV_LD_STATUS_DEGRADE;       // 1
inline constexpr int kSetFailed = 3;                            // another code of a failed set
inline constexpr int kSetOffline = MV_LD_STATUS_OFFLINE;        // 4
inline constexpr int kSetRebuilding = 10;
inline constexpr int kSetFailedToo = 11;  // a third code of a failed set
inline constexpr int kSetUnreadable = kRaised;

}  // namespace library_status
