// Where the world file lives: NORVIK_SIM_WORLD, or a private directory of the
// user's runtime directory ($XDG_RUNTIME_DIR/norvik-sim, else /tmp/norvik-sim-<uid>).
#pragma once

#include <filesystem>

namespace sim {

struct WorldLocation {
    std::filesystem::path file;
    // The default place is shared ground (/tmp), so its directory must be ours alone.
    bool requirePrivateDirectory = false;
};

WorldLocation worldLocation();

}  // namespace sim
