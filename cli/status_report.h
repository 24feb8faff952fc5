// The three ways `norvik-raid status` reports one reading: a text for people,
// one JSON object for programs, and one line for monitoring plugins.
#pragma once

#include <string>

#include "cli/enclosure_reading.h"
#include "cli/health.h"

namespace cli {

// Texts from the string table, in the user's language.
std::string statusText(const EnclosureReading& reading, Health health);

// The JSON object documented in the README and the manual (output_version 1);
// `rebuildEstimateProblem`: empty, or why the time left cannot be learned.
std::string statusJson(const EnclosureReading& reading,
                       Health health,
                       const std::string& rebuildEstimateProblem = {});

// "NORVIK RAID <STATUS> - <summary> | <perfdata>", always English and on one line.
std::string nagiosLine(const EnclosureReading& reading, Health health);

}  // namespace cli
