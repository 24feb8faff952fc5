// In the simulator build the device services see the simulated world: its
// feed keeps the in-memory device tree in step with the world file, so the
// enclosure's controller and disks come and go as norvik-sim says. A build
// for real hardware has no feed.
#pragma once

#include <memory>

#include "platform/runloop/run_loop.h"

namespace frontend {

// Puts the feed on `loop` (all modes, as the hardware's own events are) and
// returns it, or null when there is none or the world cannot be opened (said
// on stderr; the window then shows no enclosure).
std::shared_ptr<platform::RunLoopSource> attachSimulatedHardware(platform::RunLoop& loop);

}  // namespace frontend
