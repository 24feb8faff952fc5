// The three ways `norvik-raid status` reports one reading and its verdict: a
// text for people, one JSON object for programs, and one line for monitoring
// plugins. Names come from hardware: the texts show control characters as
// escapes, so that no name drives a terminal or forges a line.
#pragma once

#include <string>

#include "cli/enclosure_reading.h"
#include "model/health_verdict.h"

namespace cli {

// "raid0", "raid1" or "unknown", as the JSON and the textfile name a volume's layout.
const char* raidModeKeyword(int mode);

// Texts from the string table, in the user's language.
std::string statusText(const EnclosureReading& reading, const Verdict& verdict);

// The JSON object documented in the README and the manual (output_version 1);
// `rebuildEstimateProblem`: empty, or why the time left cannot be learned.
std::string statusJson(const EnclosureReading& reading,
                       const Verdict& verdict,
                       const std::string& rebuildEstimateProblem = {});

// "NORVIK RAID <STATUS> - <summary> | <perfdata>", always English and on one line.
std::string nagiosLine(const EnclosureReading& reading, const Verdict& verdict);

}  // namespace cli
