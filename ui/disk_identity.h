// Which physical disk is which: the model and serial number printed on its
// label, for the window's tooltips.
#pragma once

#include <string>

#include "model/marvell_controller.h"
#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"

// "<model>, serial number <serial>".
std::string diskIdentity(const MarvellDisk& disk);

// One line per member the controller lists, in the set's order:
// "Slot <n>: <model>, serial number <serial>". Empty without a controller.
std::string memberIdentities(const MarvellRAIDSet& set, const MarvellController* controller);
