// The title of a RAID set's entry in the volume list.
#pragma once

#include <string>

#include "model/marvell_raid_set.h"

// The set's name; a name that cannot be shown (not valid UTF-8, or empty)
// gives a visible fallback naming the set's ID instead of a blank entry.
std::string volumeTitle(const MarvellRAIDSet& set);
