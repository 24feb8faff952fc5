// The rebuild progress that earlier runs of `norvik-raid status` saw, kept in
// the user's runtime directory, so that a check run every few minutes learns
// the rate and reports the time left like the monitor does. Whatever goes
// wrong with the file only costs the estimate.
#pragma once

#include <filesystem>
#include <optional>

#include "model/enclosure_reading.h"
#include "platform/runloop/clock.h"

namespace cli {

class RebuildHistory {
  public:
    explicit RebuildHistory(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}

    // $XDG_RUNTIME_DIR/norvik-raid/rebuild-progress.json; none without that variable.
    static RebuildHistory atDefaultPlace();

    // Adds this reading's progress to the history, fills in the time left of
    // every rebuilding volume, and forgets volumes that no longer rebuild.
    void track(EnclosureReading& reading, platform::TimePoint now);

    // Readings kept per volume (the newest).
    static constexpr std::size_t kKept = 16;

  private:
    std::optional<std::filesystem::path> file_;
};

}  // namespace cli
