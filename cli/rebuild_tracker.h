// Keeps one rebuild estimate per volume across readings and writes the time
// left into each reading's rebuilding volumes.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "cli/enclosure_reading.h"
#include "model/rebuild_estimate.h"
#include "platform/runloop/clock.h"

namespace cli {

class RebuildTracker {
  public:
    // Feeds the progress of every rebuilding volume to its estimate, forgets
    // the volumes that no longer rebuild, and fills in secondsRemaining.
    void track(EnclosureReading& reading, platform::TimePoint now);

  private:
    // A volume is the same one while its controller, ID and name stay.
    using Key = std::tuple<int, int, std::string>;
    std::map<Key, RebuildEstimate> estimates_;
};

}  // namespace cli
