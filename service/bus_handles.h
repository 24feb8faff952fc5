// Owning handles for sd-bus objects, so every path out of a call releases them.
#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace service {

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusPtr = std::unique_ptr<sd_bus, BusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusError {
  public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &error_; }
    bool hasName(const char* name) const { return sd_bus_error_has_name(&error_, name) > 0; }
    // "<name>: <message>", or the errno text when the error carries no name.
    std::string describe(int r) const;

  private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

}  // namespace service
