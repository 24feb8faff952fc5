// The world file's format. Reading checks everything the simulator relies on
// (ranges, references between disks, blocks and logical disks), so a file
// edited by hand can be rejected with a message but never crash the library.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "sim/world.h"

namespace sim {

class WorldFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

nlohmann::json toJson(const World& world);
// Throws WorldFormatError saying what is wrong.
World worldFromJson(const nlohmann::json& json);

std::string serializeWorld(const World& world);
World parseWorld(const std::string& text);

}  // namespace sim
