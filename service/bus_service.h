// The library's operations as methods of one bus object, one method per
// operation with the operation's name; AuthorizeChanges, which asks polkit
// once before a series of changes, so that a refusal comes before anything
// has changed and a password is typed once; and the LibraryProblem property
// (why the library cannot be used, as (kind, path, detail) with the kind
// named by LibraryFailure; all empty when it can be).
//
// The loop never blocks but inside the library: every call waits in its
// caller's queue and callers take turns, one library call at a time, after
// the loop has read whatever else arrived; a caller that pipelines calls is
// answered at a pace (fair_queue.h). Every change is first authorized by
// polkit without waiting for it; reads go on meanwhile. A caller with too
// many calls waiting is refused more, and what a caller that left the bus
// still had waiting, an authorized change included, is dropped unserved.
#pragma once

#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "model/library_failure.h"
#include "platform/runloop/clock.h"
#include "platform/sdbus/bus_handles.h"
#include "service/fair_queue.h"
#include "service/library_host.h"

namespace service {

class BusService {
  public:
    // Calls one caller may have waiting for polkit or for their turn: as many
    // as the system bus lets a connection have awaiting replies, so that
    // there a caller never meets this limit, and refusals, which a flooding
    // caller answers with new calls at once, never keep the service busy.
    static constexpr std::size_t kMostWaitingPerCaller = 128;
    // Calls read in a row before a turn is served even while more arrive.
    static constexpr std::size_t kMostAdmittedBetweenTurns = 1024;
    // The time between two turns of a caller that pipelines calls (has more
    // than kPipelineDepth waiting): a hundred such callers then cost the bus
    // daemon a thousand answers a second.
    static constexpr platform::Duration kPipelinePace = std::chrono::milliseconds(100);
    static constexpr std::size_t kPipelineDepth = 4;

    // `clock` must outlive the service; the pace is measured on it.
    BusService(LibraryHost& host, LibraryFailure libraryProblem, platform::Clock& clock);
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
    static int receiveAuthorizeChanges(sd_bus_message* call, void* userdata, sd_bus_error* error);
    static int takeTurn(sd_event_source* source, void* userdata);
    static int paceEnded(sd_event_source* source, uint64_t usec, void* userdata);
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
    // Sleeps until the first paced caller's next turn.
    void waitForPace();
    void callerLeft(const std::string& caller);
    std::size_t waiting(const std::string& caller) const;

    LibraryHost& host_;
    LibraryFailure libraryProblem_;
    platform::Clock& clock_;
    FairQueue<Job> queue_{kPipelinePace, kPipelineDepth};
    std::size_t admittedSinceTurn_ = 0;
    std::list<WaitingChange> authorizing_;
    platform::bus::SlotPtr object_;
    platform::bus::SlotPtr departures_;
    platform::bus::EventSourcePtr turn_;
    platform::bus::EventSourcePtr pace_;
};

}  // namespace service
