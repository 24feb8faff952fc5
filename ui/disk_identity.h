// Which physical disk is which: the model and serial number printed on its
// label, for the window's tooltips.
#pragma once

#include <string>
#include <vector>

#include "model/marvell_controller.h"
#include "model/marvell_disk.h"
#include "model/marvell_raid_set.h"

// "<model>, serial number <serial>".
std::string diskIdentity(const MarvellDisk& disk);

// One line per member disk (`memberIds`, the set's disks()) the controller
// lists, in that order: "Slot <n>: <model>, serial number <serial>". Empty
// without a controller.
std::string memberIdentities(const std::vector<int>& memberIds,
                             const MarvellController* controller);
