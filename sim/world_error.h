// What can go wrong with the world file. Every message names the file.
#pragma once

#include <stdexcept>

namespace sim {

class WorldError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The file is there but what it holds cannot be used; replacing it (the
// `reset` command) mends that, unlike a path that cannot hold a world at all.
class WorldContentError : public WorldError {
  public:
    using WorldError::WorldError;
};

}  // namespace sim
