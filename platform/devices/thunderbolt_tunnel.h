// Which Thunderbolt device a PCI function is tunnelled through, as far as the
// device tree lets one tell. A PCI tunnel appears as PCI bridges below the
// Thunderbolt host controller, beside (not below) the host's own function
// that the Thunderbolt devices hang from; nothing links a tunnel to the device
// at its far end. So the answer is the one authorized device (never the host
// router) of a host whose PCI bridges the function also sits behind, and none
// when there are several such devices or none.
#pragma once

#include "platform/devices/device_tree.h"

namespace platform::devices {

// kNoNode when it cannot be told.
NodeId thunderboltDeviceBehind(const DeviceTree& tree, NodeId pciFunction);

// True for a Thunderbolt device that waits for the user to authorize it.
bool isWaitingForAuthorization(const NodeInfo& node);

}  // namespace platform::devices
