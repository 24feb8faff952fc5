#include "service/remote_library.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "model/model_clock.h"
#include "model/reading_deadline.h"
#include "service/bus_carriage.h"
#include "service/bus_names.h"
#include "service/request_sizing.h"

namespace service {

namespace {

using platform::bus::BusError;
using platform::bus::MessagePtr;

void check(int r, const char* what) {
    if (r < 0) {
        throw RemoteLibraryError({}, std::string(what) + ": " + std::strerror(-r));
    }
}

std::uint64_t microseconds(platform::Duration timeout) {
    return static_cast<std::uint64_t>(
        std::chrono::ceil<std::chrono::microseconds>(timeout).count());
}

MV_U8 readStatus(sd_bus_message* reply) {
    MV_U8 status = 0;
    check(sd_bus_message_read_basic(reply, 'y', &status), "reading the status");
    return status;
}

// Copies the returned bytes back, refusing a reply that is not exactly the
// size the caller's buffer has.
void readBytesInto(sd_bus_message* reply, void* buffer, std::size_t size) {
    const void* data = nullptr;
    std::size_t got = 0;
    check(sd_bus_message_read_array(reply, 'y', &data, &got), "reading the buffer");
    if (got != size) {
        throw RemoteLibraryError({}, "the service returned " + std::to_string(got) +
                                         " bytes for a buffer of " + std::to_string(size));
    }
    if (buffer) {
        std::memcpy(buffer, data, size);
    }
}

}  // namespace

RemoteLibrary::RemoteLibrary(RemoteLibraryOptions options) : options_(options) {}

RemoteLibrary::~RemoteLibrary() = default;

bool RemoteLibrary::failingFast() const {
    return unansweredAt_ && modelClock().now() < *unansweredAt_ + options_.coolDown;
}

sd_bus* RemoteLibrary::bus() {
    if (bus_ && sd_bus_is_open(bus_.get()) <= 0) {
        bus_.reset();
    }
    if (!bus_) {
        sd_bus* raw = nullptr;
        check(sd_bus_open_system(&raw), "cannot connect to the system bus");
        bus_.reset(raw);
        // Changes may ask the desktop's agent for a password.
        sd_bus_set_allow_interactive_authorization(bus_.get(), 1);
    }
    return bus_.get();
}

MessagePtr RemoteLibrary::newCall(const char* interface, const char* method) {
    sd_bus_message* raw = nullptr;
    check(sd_bus_message_new_method_call(bus(), &raw, kBusName, kObjectPath, interface, method),
          method);
    return MessagePtr(raw);
}

MessagePtr RemoteLibrary::send(MessagePtr call, Kind kind) {
    if (kind != Kind::Rescan && failingFast()) {
        throw RemoteLibraryError({}, std::string(kNotAnswering) + "; trying again shortly");
    }
    platform::Duration timeout =
        kind == Kind::Change ? options_.changeTimeout : options_.callTimeout;
    if (const auto deadline = readingDeadline(); deadline && kind != Kind::Change) {
        const platform::Duration left = *deadline - modelClock().now();
        if (left <= platform::Duration::zero()) {
            throw RemoteLibraryError({}, std::string(kNotAnswering) + " in time");
        }
        timeout = std::min(timeout, left);
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call(bus(), call.get(), microseconds(timeout), error.get(), &raw);
    MessagePtr reply(raw);
    if (r < 0) {
        // No reply: the call timed out or the service ended while serving it.
        if (r == -ETIMEDOUT || error.hasName(SD_BUS_ERROR_NO_REPLY)) {
            unansweredAt_ = modelClock().now();
            throw RemoteLibraryError(error.name(),
                                     std::string(kNotAnswering) + " (" + error.describe(r) + ")");
        }
        if (error.hasName(SD_BUS_ERROR_ACCESS_DENIED)) {
            refusal_ = error.get()->message ? error.get()->message : SD_BUS_ERROR_ACCESS_DENIED;
        }
        throw RemoteLibraryError(error.name(), error.describe(r));
    }
    unansweredAt_.reset();
    return reply;
}

LibraryFailure RemoteLibrary::libraryProblem() {
    MessagePtr call = newCall("org.freedesktop.DBus.Properties", "Get");
    check(sd_bus_message_append(call.get(), "ss", kInterface, "LibraryProblem"), "LibraryProblem");
    MessagePtr reply = send(std::move(call), Kind::Reading);
    const char* kind = nullptr;
    const char* path = nullptr;
    const char* detail = nullptr;
    check(sd_bus_message_read(reply.get(), "v", "(sss)", &kind, &path, &detail),
          "reading LibraryProblem");
    return {LibraryFailure::kindNamed(kind), path, detail};
}

// Initialize, Finalize, Count and Rescan: no arguments, one byte back.
template <auto operation, class Shape>
MV_U8 RemoteLibrary::carryAs(Shape) {
    const Kind kind = std::is_same_v<Shape, library_shape::Rescan> ? Kind::Rescan : Kind::Reading;
    MessagePtr reply = send(newCall(kInterface, LibraryOperation<operation>::name), kind);
    return readStatus(reply.get());
}

template <auto operation, class Record>
MV_U8 RemoteLibrary::carryAs(library_shape::AdapterRecord<Record>,
                             MV_U8 adapterId,
                             MV_U8* out,
                             Record* record) {
    return recordCall(LibraryOperation<operation>::name, adapterId, out, record, sizeof(Record));
}

template <auto operation, class Record>
MV_U8 RemoteLibrary::carryAs(library_shape::Request<Record>, MV_U8 adapterId, void* request) {
    return requestCall(LibraryOperation<operation>::name, adapterId, request,
                       requestSize<Record>());
}

template <auto operation, class Record>
MV_U8 RemoteLibrary::carryAs(library_shape::RecordChange<Record>, MV_U8 adapterId, Record* record) {
    return changeCall(LibraryOperation<operation>::name, adapterId, record,
                      record ? sizeof(Record) : 0);
}

template <auto operation, class... Ids>
MV_U8 RemoteLibrary::carryAs(library_shape::IdsChange, MV_U8 adapterId, Ids... ids) {
    const char* method = LibraryOperation<operation>::name;
    MessagePtr call = newCall(kInterface, method);
    check(sd_bus_message_append(call.get(), busSignature<operation>(), adapterId, ids...), method);
    MessagePtr reply = send(std::move(call), Kind::Change);
    return readStatus(reply.get());
}

MV_U8 RemoteLibrary::requestCall(const char* method,
                                 MV_U8 adapterId,
                                 void* request,
                                 std::size_t size) {
    if (!request) {
        throw RemoteLibraryError({}, std::string(method) + " without a request buffer");
    }
    MessagePtr call = newCall(kInterface, method);
    check(sd_bus_message_append_basic(call.get(), 'y', &adapterId), method);
    check(sd_bus_message_append_array(call.get(), 'y', request, size), method);
    MessagePtr reply = send(std::move(call), Kind::Reading);
    const MV_U8 status = readStatus(reply.get());
    readBytesInto(reply.get(), request, size);
    return status;
}

MV_U8 RemoteLibrary::recordCall(const char* method,
                                MV_U8 adapterId,
                                MV_U8* out,
                                void* record,
                                std::size_t size) {
    MessagePtr call = newCall(kInterface, method);
    check(sd_bus_message_append_basic(call.get(), 'y', &adapterId), method);
    MessagePtr reply = send(std::move(call), Kind::Reading);
    const MV_U8 status = readStatus(reply.get());
    const MV_U8 written = readStatus(reply.get());
    readBytesInto(reply.get(), record, size);
    if (out) {
        *out = written;
    }
    return status;
}

MV_U8 RemoteLibrary::changeCall(const char* method,
                                MV_U8 adapterId,
                                const void* record,
                                std::size_t size) {
    MessagePtr call = newCall(kInterface, method);
    check(sd_bus_message_append_basic(call.get(), 'y', &adapterId), method);
    check(sd_bus_message_append_array(call.get(), 'y', record, size), method);
    MessagePtr reply = send(std::move(call), Kind::Change);
    return readStatus(reply.get());
}

void RemoteLibrary::authorizeChanges() {
    send(newCall(kInterface, kAuthorizeChanges), Kind::Change);
}

#define NORVIK_REMOTE_OPERATION(name, shape, parameters, arguments) \
    MV_U8 RemoteLibrary::name parameters {                          \
        return carry<&ControllerLibrary::name> arguments;           \
    }
NORVIK_LIBRARY_OPERATIONS(NORVIK_REMOTE_OPERATION)
#undef NORVIK_REMOTE_OPERATION

bool controllerServiceAvailable() {
    sd_bus* raw = nullptr;
    if (sd_bus_open_system(&raw) < 0) {
        return false;
    }
    platform::bus::BusPtr bus(raw);
    char** owned = nullptr;
    char** activatable = nullptr;
    if (sd_bus_list_names(bus.get(), &owned, &activatable) < 0) {
        return false;
    }
    bool found = false;
    for (char** list : {owned, activatable}) {
        for (char** name = list; name && *name; ++name) {
            found = found || std::string_view(*name) == kBusName;
            std::free(*name);
        }
        std::free(list);
    }
    return found;
}

}  // namespace service
