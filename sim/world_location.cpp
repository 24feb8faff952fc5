#include "sim/world_location.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace sim {

WorldLocation worldLocation() {
    if (const char* named = std::getenv("NORVIK_SIM_WORLD"); named && *named) {
        return {named, false, kDefaultLockWait};
    }
    std::filesystem::path dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        dir = std::filesystem::path(runtime) / "norvik-sim";
    } else {
        dir = "/tmp/norvik-sim-" + std::to_string(::geteuid());
    }
    return {dir / "world.json", true, kDefaultLockWait};
}

}  // namespace sim
