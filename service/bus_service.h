// The library's operations as methods of one bus object, one method per
// operation with the operation's name, and the LibraryProblem property (why
// the library cannot be used; empty when it can).
//
// The loop never blocks but inside the library: every call waits in its
// caller's queue and callers take turns, one library call at a time, after
// the loop has read whatever else arrived. Every change is first authorized
// by polkit without waiting for it; reads go on meanwhile. A caller with too
// many calls waiting is refused more, and what a caller that left the bus
// still had waiting, an authorized change included, is dropped unserved.
#pragma once

#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <cstddef>
#include <list>
#include <string>

#include "platform/sdbus/bus_handles.h"
#include "service/fair_queue.h"
#include "service/library_host.h"

namespace service {

class BusService {
  public:
    // Calls one caller may have waiting for polkit or for their turn.
    static constexpr std::size_t kMostWaitingPerCaller = 16;

    BusService(LibraryHost& host, std::string libraryProblem);
    ~BusService();
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Publishes the object on `bus` and serves the calls from `event`'s
    // loop, to which the bus must be attached at normal priority; returns a
    // negative errno on failure.
    int attach(sd_bus* bus, sd_event* event);

  private:
    using Serve = void (*)(BusService&, sd_bus_message*);
    struct Job {
        platform::bus::MessagePtr call;
        Serve serve;
    };
    struct WaitingChange {
        BusService* owner;
        std::string caller;
        platform::bus::MessagePtr call;
        Serve serve;
        platform::bus::SlotPtr question;
    };

    static const sd_bus_vtable* vtable();
    template <auto operation>
    static int receive(sd_bus_message* call, void* userdata, sd_bus_error* error);
    template <auto operation>
    static void serve(BusService& self, sd_bus_message* call);
    static int takeTurn(sd_event_source* source, void* userdata);
    static int authorized(sd_bus_message* answer, void* userdata, sd_bus_error* error);
    static int ownerChanged(sd_bus_message* signal, void* userdata, sd_bus_error* error);
    static int libraryProblem(sd_bus* bus,
                              const char* path,
                              const char* interface,
                              const char* property,
                              sd_bus_message* reply,
                              void* userdata,
                              sd_bus_error* error);

    int admit(sd_bus_message* call, Serve serve, bool change, sd_bus_error* error);
    void enqueue(const std::string& caller, Job job);
    void callerLeft(const std::string& caller);
    std::size_t waiting(const std::string& caller) const;

    LibraryHost& host_;
    std::string libraryProblem_;
    FairQueue<Job> queue_;
    std::list<WaitingChange> authorizing_;
    platform::bus::SlotPtr object_;
    platform::bus::SlotPtr departures_;
    platform::bus::EventSourcePtr turn_;
};

}  // namespace service
