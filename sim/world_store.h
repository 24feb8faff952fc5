// The world file, shared by every process that simulates or drives the
// enclosure. Writers take an exclusive lock, re-read the file, change it and
// replace it whole (temporary file + rename); readers take a shared lock and
// re-read only when the file changed. A file that cannot be read is reported,
// never replaced, until replace() (the `reset` command) is asked for.
//
// The world must be a regular file in a folder of the user's own. Anything
// else at its path (a FIFO, a device, a directory, a symbolic link) is refused
// and left alone; links are not followed, so that every process names one
// file and locks the one lock file beside it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "sim/world.h"
#include "sim/world_error.h"
#include "sim/world_location.h"
#include "sim/world_lock.h"

namespace sim {

class WorldStore {
  public:
    explicit WorldStore(WorldLocation location);
    explicit WorldStore(std::filesystem::path file) : WorldStore(WorldLocation{std::move(file)}) {}
    ~WorldStore();
    WorldStore(const WorldStore&) = delete;
    WorldStore& operator=(const WorldStore&) = delete;

    const std::filesystem::path& file() const { return location_.file; }

    // The current world; a missing file is first created with the default world.
    // Throws WorldError.
    std::shared_ptr<const World> read();

    // Runs `change` on the current world while holding the exclusive lock and
    // writes the result when it returns true; returns what `change` returned.
    // Throws WorldError (nothing is written then).
    bool update(const std::function<bool(World&)>& change);

    // Writes `world` whatever the file holds now, provided the path can hold
    // a world. Throws WorldError.
    void replace(const World& world);

  private:
    struct Identity {
        bool exists = false;
        std::uint64_t device = 0, inode = 0, size = 0, generation = 0;
        std::int64_t modified = 0, changed = 0;
        bool operator==(const Identity&) const = default;
    };

    WorldLock& lock();
    void checkFolder();
    Identity identity() const;
    std::shared_ptr<const World> load(const Identity& id);
    void write(const World& world);
    [[noreturn]] void fail(const std::string& what) const;

    WorldLocation location_;
    std::mutex mutex_;
    std::optional<WorldLock> lock_;
    std::shared_ptr<const World> cache_;
    Identity cacheIdentity_;
};

}  // namespace sim
