// The controller library as the service serves it: every buffer the library
// fills is the service's own, sized from the operation alone; a request the
// service would have to trust is refused (RequestRefused) before the library
// is called; every library call runs under the watchdog; an adapter ID is
// checked against a count taken since the last rescan or hot-plug. Clients'
// Initialize and Finalize never reach the library, which the service
// initialized once at start and finalizes once at exit, and a rescan asked
// for right after another is answered by that one. Exceptions the library
// raises pass through. Not thread-safe: calls are served one at a time.
//
// Every operation is served by call<&ControllerLibrary::NAME>(arguments), its
// arguments and reply following the operation's shape (library_operations.h).
#pragma once

#include <chrono>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "model/adapter_config_buffer.h"
#include "model/controller_library.h"
#include "model/library_session.h"
#include "platform/runloop/clock.h"
#include "service/call_watchdog.h"
#include "service/request_sizing.h"

namespace service {

class RequestRefused : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

using Bytes = std::vector<unsigned char>;
using ByteSpan = std::span<const unsigned char>;

struct RecordReply {
    MV_U8 status = 0;
    MV_U8 out = 0;  // the count or flag byte the operation writes beside the record
    Bytes record;
};

struct RequestReply {
    MV_U8 status = 0;
    Bytes request;
};

class LibraryHost {
  public:
    // A rescan asked for within this long after the last one ended is
    // answered by that one, unless the hardware changed since.
    static constexpr std::chrono::milliseconds kRescanReuse{500};

    // `clock` must outlive the host.
    LibraryHost(ControllerLibrary& library, CallWatchdog& watchdog, platform::Clock& clock);

    // The library's session: MV_API_Initialize and MV_API_RescanAdapter, then
    // the adapters counted; returns the initialization status.
    MV_U8 startUp();
    // MV_API_Finalize, once; false when the library raised.
    bool shutDown();
    // What the library raised while starting or finishing; empty when nothing.
    const std::string& sessionFailure() const { return session_.failure(); }

    // Devices came or went: the next adapter ID is checked against a fresh
    // count, and the next rescan reaches the library.
    void hardwareChanged();

    // One client call of `operation`.
    template <auto operation, class... Args>
    auto call(Args... arguments) {
        using Shape = typename LibraryOperation<operation>::Shape;
        return serve<operation>(Shape{}, arguments...);
    }

  private:
    template <auto operation>
    MV_U8 serve(library_shape::Initialize) {
        return startStatus_;
    }
    template <auto operation>
    MV_U8 serve(library_shape::Finalize) {
        return 0;
    }
    template <auto operation>
    MV_U8 serve(library_shape::Rescan) {
        return rescan();
    }
    template <auto operation>
    MV_U8 serve(library_shape::Count) {
        return countAdapters();
    }
    template <auto operation, class Record>
    RecordReply serve(library_shape::AdapterRecord<Record>, MV_U8 adapterId);
    template <auto operation, class Record>
    RequestReply serve(library_shape::Request<Record>, MV_U8 adapterId, ByteSpan request);
    template <auto operation, class Record>
    MV_U8 serve(library_shape::RecordChange<Record>, MV_U8 adapterId, ByteSpan record);
    template <auto operation, class... Ids>
    MV_U8 serve(library_shape::IdsChange, MV_U8 adapterId, Ids... ids);

    MV_U8 rescan();
    MV_U8 countAdapters();
    // Refuses an adapter the library does not list, asking it again first in
    // case one appeared since the last count.
    void requireAdapter(MV_U8 adapterId);
    // The settings as the library keeps them, in room larger than our record.
    MV_U8 readSettings(MV_U8 adapterId, MV_U8& out, AdapterConfigBuffer& settings);
    template <auto operation>
    CallWatchdog::Armed watch() {
        return watchdog_.arm(LibraryOperation<operation>::name);
    }

    struct Rescanned {
        platform::TimePoint at;
        MV_U8 status;
    };

    ControllerLibrary& library_;
    CallWatchdog& watchdog_;
    platform::Clock& clock_;
    LibrarySession session_;
    MV_U8 startStatus_ = 0;
    MV_U8 adapterCount_ = 0;
    bool countFresh_ = false;
    std::optional<Rescanned> lastRescan_;
};

namespace detail {

inline void refuseIf(const std::optional<std::string>& why) {
    if (why) {
        throw RequestRefused(*why);
    }
}

inline std::optional<std::string> refuseRecord(std::type_identity<Adapter_Config>, ByteSpan bytes) {
    return refuseAdapterConfig(bytes);
}
inline std::optional<std::string> refuseRecord(std::type_identity<Create_LD_Param>,
                                               ByteSpan bytes) {
    return refuseCreateParameters(bytes);
}

}  // namespace detail

// An adapter record the library fills, with the byte it writes beside it.
// The settings record's true size is the library's, so it only ever sees a
// large zeroed buffer of ours; clients exchange our 64 bytes at its front.
template <auto operation, class Record>
RecordReply LibraryHost::serve(library_shape::AdapterRecord<Record>, MV_U8 adapterId) {
    requireAdapter(adapterId);
    RecordReply reply;
    if constexpr (std::is_same_v<Record, Adapter_Config>) {
        AdapterConfigBuffer settings{};
        reply.status = readSettings(adapterId, reply.out, settings);
        reply.record.assign(settings.bytes, settings.bytes + sizeof(Adapter_Config));
    } else {
        Record record{};
        {
            auto armed = watch<operation>();
            reply.status = (library_.*operation)(adapterId, &reply.out, &record);
        }
        reply.record.resize(sizeof record);
        std::memcpy(reply.record.data(), &record, sizeof record);
    }
    return reply;
}

// Exactly the checked size, on the heap (aligned for any record), so that a
// library writing past it is caught by the sanitizers in tests.
template <auto operation, class Record>
RequestReply LibraryHost::serve(library_shape::Request<Record>, MV_U8 adapterId, ByteSpan request) {
    detail::refuseIf(refuseRequest(requestSize<Record>(), request));
    requireAdapter(adapterId);
    RequestReply reply;
    reply.request.assign(request.begin(), request.end());
    auto armed = watch<operation>();
    reply.status = (library_.*operation)(adapterId, reply.request.data());
    return reply;
}

template <auto operation, class Record>
MV_U8 LibraryHost::serve(library_shape::RecordChange<Record>, MV_U8 adapterId, ByteSpan record) {
    detail::refuseIf(detail::refuseRecord(std::type_identity<Record>{}, record));
    requireAdapter(adapterId);
    if constexpr (std::is_same_v<Record, Adapter_Config>) {
        // What the library keeps beyond our 64 bytes is written back as it was read.
        AdapterConfigBuffer settings{};
        MV_U8 unread = 0;
        if (const MV_U8 status = readSettings(adapterId, unread, settings); status != 0) {
            return status;
        }
        std::memcpy(settings.bytes, record.data(), sizeof(Adapter_Config));
        auto armed = watch<operation>();
        return (library_.*operation)(adapterId, settings.record());
    } else {
        Record copy;
        std::memcpy(&copy, record.data(), sizeof copy);
        auto armed = watch<operation>();
        return (library_.*operation)(adapterId, &copy);
    }
}

template <auto operation, class... Ids>
MV_U8 LibraryHost::serve(library_shape::IdsChange, MV_U8 adapterId, Ids... ids) {
    requireAdapter(adapterId);
    auto armed = watch<operation>();
    return (library_.*operation)(adapterId, ids...);
}

}  // namespace service
