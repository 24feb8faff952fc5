// Owning handles for sd-bus and sd-event objects, so every path out of a call
// releases them. The one place the service, its clients and the command line
// take them from.
#pragma once

#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <memory>
#include <string>

namespace platform::bus {

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
struct EventUnref {
    void operator()(sd_event* event) const { sd_event_unref(event); }
};
struct EventSourceUnref {
    void operator()(sd_event_source* source) const { sd_event_source_disable_unref(source); }
};
using BusPtr = std::unique_ptr<sd_bus, BusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;
using EventPtr = std::unique_ptr<sd_event, EventUnref>;
using EventSourcePtr = std::unique_ptr<sd_event_source, EventSourceUnref>;

// A second reference to `message`, for answering it later.
inline MessagePtr keep(sd_bus_message* message) {
    return MessagePtr(sd_bus_message_ref(message));
}

class BusError {
  public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &error_; }
    bool isSet() const { return sd_bus_error_is_set(&error_) > 0; }
    bool hasName(const char* name) const { return sd_bus_error_has_name(&error_, name) > 0; }
    // The error's name, empty when none is set.
    std::string name() const { return error_.name ? error_.name : ""; }
    // "<name>: <message>", or the errno text when the error carries no name.
    std::string describe(int r) const;

  private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

}  // namespace platform::bus
