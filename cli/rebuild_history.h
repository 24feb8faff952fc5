// The rebuild progress that earlier runs of `norvik-raid status` saw, kept in
// a file, so that a check run every few minutes learns the rate and reports
// the time left like the monitor does. Whatever goes wrong with the file only
// costs the estimate, and says why.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/enclosure_reading.h"
#include "platform/runloop/clock.h"

namespace cli {

// What decides where the history is kept: the environment and who runs.
struct HistoryPlaces {
    std::string runtimeDirectory;  // XDG_RUNTIME_DIR
    std::string stateHome;         // XDG_STATE_HOME
    std::string home;              // HOME, else the user's home from the password database
    bool root = false;

    static HistoryPlaces fromEnvironment();

    // The runtime directory; else an explicit state home; else /run for root
    // (cron and monitoring agents have no session); else ~/.local/state.
    // Empty when none is known.
    std::optional<std::filesystem::path> historyFile() const;
};

class RebuildHistory {
  public:
    // `bootId` tells readings of this boot from those of an earlier one, whose
    // times are on another clock (the file may outlive a reboot).
    explicit RebuildHistory(std::optional<std::filesystem::path> file,
                            std::string bootId = currentBootId())
        : file_(std::move(file)), bootId_(std::move(bootId)) {}

    static RebuildHistory atDefaultPlace();
    static std::string currentBootId();

    // Adds this reading's progress to the history, fills in the time left of
    // every rebuilding volume, and forgets volumes that no longer rebuild.
    // Returns why the progress could not be kept (empty when it was, or when
    // nothing rebuilds).
    std::string track(EnclosureReading& reading, platform::TimePoint now);

    // Readings kept per volume (the newest).
    static constexpr std::size_t kKept = 16;

  private:
    std::optional<std::filesystem::path> file_;
    std::string bootId_;
};

}  // namespace cli
