// The world and its lock file must be regular files: opening a FIFO blocks,
// a device or directory is no place to keep a world.
#pragma once

#include <sys/types.h>

#include <string>

namespace sim {

// Why a file of this mode cannot be used, or "" for a regular file.
std::string whyNotRegular(mode_t mode);

}  // namespace sim
