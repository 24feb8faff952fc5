// Following the enclosure's RAID controller (model/enclosure_identity.h) in
// the device registry, and the check that a disk sits behind it.
#pragma once

#include "model/enclosure_identity.h"
#include "platform/devices/device_types.h"
#include "platform/devices/disk_arrival.h"

// True when the disk's bus node, two levels up in the device tree, is the
// enclosure's controller. Any failure on the way answers false.
bool isEnclosureDisk(const platform::devices::DiskRef& disk);

// Registry and disk-arrival callbacks; the context is the EnclosureWatcher.
void serviceMatched(void* context, platform::devices::Iterator iterator);
void serviceTerminated(void* context, platform::devices::Iterator iterator);
void diskAppeared(const platform::devices::DiskRef& disk, void* context);
void diskDisappeared(const platform::devices::DiskRef& disk, void* context);
