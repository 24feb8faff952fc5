#include "service/bus_service.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "service/bus_carriage.h"
#include "service/bus_names.h"
#include "service/polkit_authority.h"

namespace service {

namespace {

using platform::bus::MessagePtr;

// Below the bus, so that every call that has arrived is in its caller's queue
// before the next turn: a flooding caller's calls then wait behind everyone
// else's instead of ahead of them.
constexpr int kTurnPriority = SD_EVENT_PRIORITY_IDLE;

// A read failure of an argument; sd-bus has already checked the signature.
template <class T>
T read(sd_bus_message* call) {
    T value{};
    if (sd_bus_message_read_basic(call, kBusTypeCode<T>, &value) < 0) {
        throw RequestRefused("malformed arguments");
    }
    return value;
}

ByteSpan readBytes(sd_bus_message* call) {
    const void* data = nullptr;
    std::size_t size = 0;
    if (sd_bus_message_read_array(call, 'y', &data, &size) < 0) {
        throw RequestRefused("malformed arguments");
    }
    return {static_cast<const unsigned char*>(data), size};
}

int replyStatus(sd_bus_message* call, MV_U8 status) {
    return sd_bus_reply_method_return(call, "y", status);
}

// The status, the byte written beside the record (when there is one) and the
// buffer itself.
int replyWithBytes(sd_bus_message* call, MV_U8 status, const MV_U8* out, const Bytes& bytes) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(call, &raw);
    MessagePtr reply(raw);
    if (r >= 0) {
        r = sd_bus_message_append_basic(reply.get(), 'y', &status);
    }
    if (r >= 0 && out) {
        r = sd_bus_message_append_basic(reply.get(), 'y', out);
    }
    if (r >= 0) {
        r = sd_bus_message_append_array(reply.get(), 'y', bytes.data(), bytes.size());
    }
    if (r >= 0) {
        r = sd_bus_send(nullptr, reply.get(), nullptr);
    }
    return r;
}

// Initialize, Finalize, Rescan, Count.
template <auto operation, class Shape>
int answer(LibraryHost& host, sd_bus_message* call, Shape) {
    return replyStatus(call, host.call<operation>());
}

template <auto operation, class Record>
int answer(LibraryHost& host, sd_bus_message* call, library_shape::AdapterRecord<Record>) {
    const RecordReply reply = host.call<operation>(read<MV_U8>(call));
    return replyWithBytes(call, reply.status, &reply.out, reply.record);
}

template <auto operation, class Record>
int answer(LibraryHost& host, sd_bus_message* call, library_shape::Request<Record>) {
    const auto adapterId = read<MV_U8>(call);
    const RequestReply reply = host.call<operation>(adapterId, readBytes(call));
    return replyWithBytes(call, reply.status, nullptr, reply.request);
}

template <auto operation, class Record>
int answer(LibraryHost& host, sd_bus_message* call, library_shape::RecordChange<Record>) {
    const auto adapterId = read<MV_U8>(call);
    return replyStatus(call, host.call<operation>(adapterId, readBytes(call)));
}

template <auto operation, class... Ids>
int answerIds(LibraryHost& host,
              sd_bus_message* call,
              MV_U8 (ControllerLibrary::*)(MV_U8, Ids...)) {
    const auto adapterId = read<MV_U8>(call);
    const std::tuple<Ids...> ids{read<Ids>(call)...};  // read in order
    return replyStatus(
        call, std::apply([&](Ids... id) { return host.call<operation>(adapterId, id...); }, ids));
}

template <auto operation>
int answer(LibraryHost& host, sd_bus_message* call, library_shape::IdsChange) {
    return answerIds<operation>(host, call, operation);
}

}  // namespace

BusService::BusService(LibraryHost& host, LibraryFailure libraryProblem, platform::Clock& clock)
    : host_(host), libraryProblem_(std::move(libraryProblem)), clock_(clock) {}

BusService::~BusService() = default;

// Turns what the host throws into the caller's D-Bus error; nothing thrown
// crosses into sd-bus.
template <auto operation>
void BusService::serve(BusService& self, sd_bus_message* call) {
    try {
        answer<operation>(self.host_, call, typename LibraryOperation<operation>::Shape{});
    } catch (const RequestRefused& e) {
        sd_bus_reply_method_errorf(call, SD_BUS_ERROR_INVALID_ARGS, "%s", e.what());
    } catch (const std::exception& e) {
        sd_bus_reply_method_errorf(call, kErrorFailed, "the controller library call failed: %s",
                                   e.what());
    } catch (...) {
        sd_bus_reply_method_errorf(call, kErrorFailed,
                                   "the controller library raised an unknown exception");
    }
}

template <auto operation>
int BusService::receive(sd_bus_message* call, void* userdata, sd_bus_error* error) {
    using Shape = typename LibraryOperation<operation>::Shape;
    return static_cast<BusService*>(userdata)->admit(call, &serve<operation>,
                                                     library_shape::kChanges<Shape>, error);
}

int BusService::receiveAuthorizeChanges(sd_bus_message* call, void* userdata, sd_bus_error* error) {
    const Serve authorized = [](BusService&, sd_bus_message* c) {
        sd_bus_reply_method_return(c, "");
    };
    return static_cast<BusService*>(userdata)->admit(call, authorized, true, error);
}

int BusService::libraryProblem(sd_bus*,
                               const char*,
                               const char*,
                               const char*,
                               sd_bus_message* reply,
                               void* userdata,
                               sd_bus_error*) {
    const LibraryFailure& problem = static_cast<BusService*>(userdata)->libraryProblem_;
    return sd_bus_message_append(reply, "(sss)", problem.kindName(), problem.path.c_str(),
                                 problem.detail.c_str());
}

#define NORVIK_METHOD_NAMES(name, shape, parameters, arguments) \
    constexpr BusNames k##name##Names = busNames<library_shape::shape>(#arguments);
NORVIK_LIBRARY_OPERATIONS(NORVIK_METHOD_NAMES)
#undef NORVIK_METHOD_NAMES

const sd_bus_vtable* BusService::vtable() {
    // Changes are open at the bus level too: polkit decides, not the caller's capabilities.
    const auto method = [](auto operation, const char* names) {
        constexpr auto call = decltype(operation)::value;
        using Shape = typename LibraryOperation<call>::Shape;
        return sd_bus_vtable{.type = _SD_BUS_VTABLE_METHOD,
                             .flags = SD_BUS_VTABLE_UNPRIVILEGED,
                             .x = {.method = {.member = LibraryOperation<call>::name,
                                              .signature = busSignature<call>(),
                                              .result = BusCarriage<Shape>::kResult,
                                              .handler = &receive<call>,
                                              .offset = 0,
                                              .names = names}}};
    };
#define NORVIK_METHOD(name, shape, parameters, arguments)                                          \
    method(std::integral_constant<decltype(&ControllerLibrary::name), &ControllerLibrary::name>{}, \
           k##name##Names.bytes.data()),
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        // clang-format off
        NORVIK_LIBRARY_OPERATIONS(NORVIK_METHOD)
        SD_BUS_METHOD(kAuthorizeChanges, "", "", receiveAuthorizeChanges,
                      SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_PROPERTY("LibraryProblem", "(sss)", libraryProblem, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        // clang-format on
        SD_BUS_VTABLE_END,
    };
#undef NORVIK_METHOD
    return table;
}

int BusService::attach(sd_bus* bus, sd_event* event) {
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_add_object_vtable(bus, &slot, kObjectPath, kInterface, vtable(), this);
    object_.reset(slot);
    if (r < 0) {
        return r;
    }
    slot = nullptr;
    r = sd_bus_match_signal(bus, &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "NameOwnerChanged", ownerChanged, this);
    departures_.reset(slot);
    if (r < 0) {
        return r;
    }
    sd_event_source* source = nullptr;
    r = sd_event_add_defer(event, &source, takeTurn, this);
    turn_.reset(source);
    if (r < 0) {
        return r;
    }
    sd_event_source_set_priority(source, kTurnPriority);
    if ((r = sd_event_source_set_enabled(source, SD_EVENT_OFF)) < 0) {
        return r;
    }
    source = nullptr;
    r = sd_event_add_time_relative(event, &source, CLOCK_MONOTONIC, 0, 0, paceEnded, this);
    pace_.reset(source);
    return r < 0 ? r : sd_event_source_set_enabled(source, SD_EVENT_OFF);
}

std::size_t BusService::waiting(const std::string& caller) const {
    std::size_t count = queue_.waiting(caller);
    for (const WaitingChange& change : authorizing_) {
        count += change.caller == caller;
    }
    return count;
}

int BusService::admit(sd_bus_message* call, Serve serve, bool change, sd_bus_error* error) {
    // Calls that never stop arriving must not keep the queue from being served.
    if (++admittedSinceTurn_ == kMostAdmittedBetweenTurns) {
        sd_event_source_set_priority(turn_.get(), SD_EVENT_PRIORITY_NORMAL - 1);
    }
    const char* sender = sd_bus_message_get_sender(call);
    const std::string caller = sender ? sender : "";
    if (waiting(caller) >= kMostWaitingPerCaller) {
        return sd_bus_error_set(error, SD_BUS_ERROR_LIMITS_EXCEEDED,
                                "too many calls waiting; wait for their answers first");
    }
    if (!change) {
        enqueue(caller, Job{platform::bus::keep(call), serve});
        return 1;
    }
    WaitingChange& waiting = authorizing_.emplace_back(
        WaitingChange{this, caller, platform::bus::keep(call), serve, nullptr});
    const int r = askAuthorization(call, kConfigureAction, authorized, &waiting, waiting.question);
    if (r < 0) {
        authorizing_.pop_back();
        return sd_bus_error_setf(error, SD_BUS_ERROR_ACCESS_DENIED,
                                 "authorization could not be checked: %s",
                                 sender ? std::strerror(-r) : "the caller has no bus name");
    }
    return 1;  // answered once polkit has
}

int BusService::authorized(sd_bus_message* answer, void* userdata, sd_bus_error*) {
    auto* waiting = static_cast<WaitingChange*>(userdata);
    BusService& self = *waiting->owner;
    const auto it = std::find_if(self.authorizing_.begin(), self.authorizing_.end(),
                                 [&](const WaitingChange& c) { return &c == waiting; });
    // sd-bus keeps the question alive until this returns.
    WaitingChange change = std::move(*it);
    self.authorizing_.erase(it);
    const Authorization verdict = readAuthorization(answer);
    if (!verdict.allowed) {
        sd_bus_reply_method_errorf(change.call.get(), SD_BUS_ERROR_ACCESS_DENIED, "%s",
                                   verdict.why.c_str());
        return 0;
    }
    self.enqueue(change.caller, Job{std::move(change.call), change.serve});
    return 0;
}

void BusService::enqueue(const std::string& caller, Job job) {
    queue_.push(caller, std::move(job));
    sd_event_source_set_enabled(turn_.get(), SD_EVENT_ON);
}

int BusService::takeTurn(sd_event_source* source, void* userdata) {
    BusService& self = *static_cast<BusService*>(userdata);
    if (self.admittedSinceTurn_ >= kMostAdmittedBetweenTurns) {
        sd_event_source_set_priority(source, kTurnPriority);
    }
    self.admittedSinceTurn_ = 0;
    std::optional<Job> job = self.queue_.pop(self.clock_.now());
    if (!job) {
        sd_event_source_set_enabled(source, SD_EVENT_OFF);
        self.waitForPace();
        return 0;
    }
    if (self.queue_.empty()) {
        sd_event_source_set_enabled(source, SD_EVENT_OFF);
    }
    job->serve(self, job->call.get());
    return 0;
}

void BusService::waitForPace() {
    const auto next = queue_.nextTurn();
    if (!next) {
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::microseconds>(
        std::max(*next - clock_.now(), platform::Duration::zero()));
    sd_event_source_set_time_relative(pace_.get(), static_cast<uint64_t>(wait.count()));
    sd_event_source_set_enabled(pace_.get(), SD_EVENT_ONESHOT);
}

int BusService::paceEnded(sd_event_source*, uint64_t, void* userdata) {
    auto& self = *static_cast<BusService*>(userdata);
    return sd_event_source_set_enabled(self.turn_.get(), SD_EVENT_ON);
}

int BusService::ownerChanged(sd_bus_message* signal, void* userdata, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(signal, "sss", &name, &oldOwner, &newOwner) < 0) {
        return 0;
    }
    // Unique names are never given again: a caller that left is gone for good.
    if (name[0] == ':' && newOwner[0] == '\0') {
        static_cast<BusService*>(userdata)->callerLeft(name);
    }
    return 0;
}

void BusService::callerLeft(const std::string& caller) {
    queue_.drop(caller);
    // Dropping a question cancels it: polkit's answer is never read.
    authorizing_.remove_if([&](const WaitingChange& change) { return change.caller == caller; });
}

}  // namespace service
