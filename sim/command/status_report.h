// What `norvik-sim status` prints: the world as a person reads it, or as JSON
// with each volume's and disk's live state added.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/enclosure_rules.h"

namespace sim {

std::string statusText(const World& world, const std::filesystem::path& file, const Timing& timing);
nlohmann::json statusJson(const World& world, const Timing& timing);

// 2000398934016 → "2,000,398,934,016"
std::string groupedDigits(std::uint64_t value);

}  // namespace sim
