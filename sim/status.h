// The simulated controller's status codes. 0 is success, as for the real
// library; the others are ours and only need to be distinct and non-zero.
#pragma once

#include "model/mv_api.h"

namespace sim {

enum Status : MV_U8 {
    kOk = 0,
    kInvalidRequest = 1,    // null buffer, unknown request kind, count other than 1
    kNoSuchAdapter = 2,     // adapter ID beyond the plugged enclosures
    kInvalidParameter = 3,  // a parameter the controller cannot accept
    kNoSuchObject = 4,      // no disk, logical disk or block with that ID or index
    kInUse = 5,             // the disk already carries a block of a logical disk
    kNoSpace = 6,           // the requested size does not fit
    kWrongState = 8,        // e.g. rebuilding a functional mirror, cancelling no rebuild
    kWorldUnavailable = 9,  // the world file cannot be read or written
};

}  // namespace sim
