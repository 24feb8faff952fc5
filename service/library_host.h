// The controller library as the service serves it: every buffer the library
// fills is the service's own, sized from the operation alone; a request the
// service would have to trust is refused (RequestRefused) before the library
// is called; every library call runs under the watchdog. Clients' Initialize
// and Finalize never reach the library, which the service initialized once at
// start and finalizes once at exit. Exceptions the library raises pass
// through. Not thread-safe: calls are served one at a time.
#pragma once

#include <span>
#include <stdexcept>
#include <vector>

#include "model/controller_library.h"
#include "model/library_session.h"
#include "service/call_watchdog.h"
#include "service/request_sizing.h"

namespace service {

class RequestRefused : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

using Bytes = std::vector<unsigned char>;

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
    LibraryHost(ControllerLibrary& library, CallWatchdog& watchdog);

    // The library's session: MV_API_Initialize and MV_API_RescanAdapter, then
    // the adapters counted; returns the initialization status.
    MV_U8 startUp();
    // MV_API_Finalize, once; false when the library raised.
    bool shutDown();
    // What the library raised while starting or finishing; empty when nothing.
    const std::string& sessionFailure() const { return session_.failure(); }

    // What the clients call.
    MV_U8 initialize() const { return startStatus_; }
    MV_U8 rescan();
    MV_U8 finalize() const { return 0; }
    MV_U8 adapterCount();
    RecordReply adapterInfo(MV_U8 adapterId);
    RecordReply adapterConfig(MV_U8 adapterId);
    MV_U8 setAdapterConfig(MV_U8 adapterId, std::span<const unsigned char> record);
    RequestReply request(RequestOperation operation,
                         MV_U8 adapterId,
                         std::span<const unsigned char> request);
    MV_U8 createVolume(MV_U8 adapterId, std::span<const unsigned char> parameters);
    MV_U8 deleteVolume(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag);
    MV_U8 wipeDisk(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag);
    MV_U8 startRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId);
    MV_U8 controlBackgroundActivity(MV_U8 adapterId, MV_U16 ldId, MV_U8 code);

  private:
    // Refuses an adapter the library does not list, asking it again first in
    // case one appeared since the last count.
    void requireAdapter(MV_U8 adapterId);
    MV_U8 countAdapters();
    template <class Call>
    MV_U8 onAdapter(const char* operation, MV_U8 adapterId, Call&& call);
    template <class Record>
    RecordReply readRecord(const char* operation,
                           MV_U8 adapterId,
                           MV_U8 (ControllerLibrary::*call)(MV_U8, MV_U8*, Record*));

    ControllerLibrary& library_;
    CallWatchdog& watchdog_;
    LibrarySession session_;
    MV_U8 startStatus_ = 0;
    MV_U8 adapterCount_ = 0;
};

}  // namespace service
