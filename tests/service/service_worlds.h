// Simulated worlds for the service's tests, each in its own temporary file.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "sim/enclosure_rules.h"
#include "sim/world.h"
#include "sim/world_store.h"

namespace bustest {

class TemporaryWorld {
  public:
    explicit TemporaryWorld(const sim::World& world) {
        static std::atomic<int> counter{0};
        dir_ =
            std::filesystem::temp_directory_path() /
            ("norvik-service-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
        sim::WorldStore(file()).replace(world);
    }
    ~TemporaryWorld() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TemporaryWorld(const TemporaryWorld&) = delete;
    TemporaryWorld& operator=(const TemporaryWorld&) = delete;

    std::filesystem::path file() const { return dir_ / "world.json"; }
    std::string environment() const { return "NORVIK_SIM_WORLD=" + file().string(); }

  private:
    std::filesystem::path dir_;
};

// The enclosure's mirror with the disk in slot 1 pulled and a blank one in
// its place; no automatic rebuild, and a rebuild that would take for ever, so
// progress reads the same whenever it is asked.
inline sim::World degradedWorld() {
    sim::World world = sim::makeWorld(sim::Layout::Raid1, 1);
    world.rebuildSeconds = 1e6;
    sim::Enclosure& enclosure = world.enclosures.at(0);
    enclosure.autoRebuild = false;
    sim::pullDisk(enclosure, 1);
    sim::insertDisk(enclosure, sim::makeBlankDisk(0, 1, sim::kDefaultDiskBytes, 7), 0);
    return world;
}

inline sim::World defaultWorld() {
    sim::World world = sim::makeWorld();
    world.rebuildSeconds = 1e6;
    return world;
}

}  // namespace bustest
