// Where the world file lives: NORVIK_SIM_WORLD, or a private directory of the
// user's runtime directory ($XDG_RUNTIME_DIR/norvik-sim, else /tmp/norvik-sim-<uid>).
#pragma once

#include <chrono>
#include <filesystem>

namespace sim {

// Other processes hold the world's lock only while they read or write it.
inline constexpr std::chrono::milliseconds kDefaultLockWait{10'000};

struct WorldLocation {
    std::filesystem::path file;
    // The default place is shared ground (/tmp), so its directory must be ours alone.
    bool requirePrivateDirectory = false;
    // How long to wait for another process's lock before giving up.
    std::chrono::milliseconds lockWait = kDefaultLockWait;
};

WorldLocation worldLocation();

}  // namespace sim
