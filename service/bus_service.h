// The library's eighteen operations as methods of one bus object, one method
// per operation with the operation's name. Every change is first authorized
// with polkit; refused requests and refused callers get a D-Bus error and
// never reach the library.
#pragma once

#include <systemd/sd-bus.h>

#include "service/library_host.h"

namespace service {

class BusService {
  public:
    explicit BusService(LibraryHost& host) : host_(host) {}
    ~BusService();
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Adds the object to `bus`; returns a negative errno on failure.
    int attach(sd_bus* bus);

    LibraryHost& host() { return host_; }

  private:
    LibraryHost& host_;
    sd_bus_slot* slot_ = nullptr;
};

}  // namespace service
