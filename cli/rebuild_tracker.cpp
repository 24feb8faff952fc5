#include "cli/rebuild_tracker.h"

namespace cli {

void RebuildTracker::track(EnclosureReading& reading, platform::TimePoint now) {
    std::map<Key, RebuildEstimate> still;
    for (ControllerReading& c : reading.controllers) {
        for (VolumeReading& v : c.volumes) {
            if (!v.progressPercent) {
                continue;
            }
            Key key{c.adapter, v.id, v.name.value_or("")};
            RebuildEstimate estimate;
            if (auto found = estimates_.find(key); found != estimates_.end()) {
                estimate = std::move(found->second);
            }
            estimate.addReading(now, *v.progressPercent);
            v.secondsRemaining = estimate.secondsRemaining(now);
            still.emplace(std::move(key), std::move(estimate));
        }
    }
    estimates_ = std::move(still);
}

}  // namespace cli
