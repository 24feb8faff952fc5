// The monitor's configuration file (/etc/norvik-raid/monitor.conf for the
// system-wide monitor): `key = value` lines, comments after `#` at the start
// of a line. It gives what the command line leaves unsaid; the command line
// wins. A line it cannot take stops the monitor at start, naming the file
// and the line.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "cli/verbs.h"

namespace cli {

class ConfigError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// `given` with what it leaves unset taken from the file at `path`. Each value
// of the file is checked alone by `check` (which throws UsageError, as for
// the command line) and a failure becomes a ConfigError with the line.
MonitorOptions withConfigFile(const MonitorOptions& given,
                              const std::filesystem::path& path,
                              const std::function<void(const MonitorOptions&)>& check);

}  // namespace cli
