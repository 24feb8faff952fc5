#include "platform/sdbus/bus_handles.h"

#include <cstring>

namespace platform::bus {

std::string BusError::describe(int r) const {
    if (sd_bus_error_is_set(&error_)) {
        return std::string(error_.name) + ": " + (error_.message ? error_.message : "");
    }
    return std::strerror(r < 0 ? -r : r);
}

}  // namespace platform::bus
