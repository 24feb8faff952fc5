// The model's reading of the enclosure, by the names the command line has
// always used for it.
#pragma once

#include "model/enclosure_reading.h"

namespace cli {

using ::ControllerReading;
using ::DiskReading;
using ::EnclosureReading;
using ::readEnclosure;
using ::VolumeReading;

}  // namespace cli
