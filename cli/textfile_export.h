// The reading as metrics for the node exporter's textfile collector:
// DIR/norvik_raid.prom in the text exposition format, replaced atomically at
// every reading.
#pragma once

#include <filesystem>
#include <string>

#include "cli/enclosure_reading.h"

namespace cli {

// The exposition text of one reading.
std::string promText(const EnclosureReading& reading);

// A label value as the exposition format wants it: backslash, double quote
// and line feed escaped.
std::string escapeLabelValue(const std::string& value);

class TextfileExport {
  public:
    explicit TextfileExport(std::filesystem::path directory)
        : file_(std::move(directory) / "norvik_raid.prom") {}

    // Empty on success, else what failed.
    std::string write(const EnclosureReading& reading) const;
    const std::filesystem::path& file() const { return file_; }

  private:
    std::filesystem::path file_;
};

}  // namespace cli
