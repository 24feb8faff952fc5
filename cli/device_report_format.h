// norvik-raid devices' two outputs of a device report: the JSON object
// scripts read (output_version 1) and the text people read.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/device_report.h"

namespace cli {

// `libraryProblem`: empty, or what is missing and where it belongs.
nlohmann::ordered_json deviceReportJson(const DeviceReport& report,
                                        const std::string& libraryProblem);
void printDeviceReport(const DeviceReport& report,
                       const std::string& libraryProblem,
                       std::ostream& out);

}  // namespace cli
