// The controller library as a client of norvik-raidd sees it: each operation
// is one method call on the system bus. Any D-Bus error (refused, service
// gone, no reply in time) is thrown as RemoteLibraryError, a std::exception,
// so the model's guard gives its fallbacks. Reads wait at most the call
// timeout, and never past the reading deadline (model/reading_deadline.h).
// After a call goes unanswered, later calls fail at once for a cool-down, so
// one refresh never waits for an absent answer more than once; then one call
// is let through to try again, and a rescan always is. Changes may ask the
// desktop's polkit agent for a password. Time is the model's clock. Not
// thread-safe.
#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/controller_library.h"
#include "model/library_failure.h"
#include "platform/runloop/clock.h"
#include "platform/sdbus/bus_handles.h"

namespace service {

// What a client says when the service does not answer in time.
inline constexpr const char* kNotAnswering = "the service is not answering";

class RemoteLibraryError : public std::runtime_error {
  public:
    RemoteLibraryError(std::string name, const std::string& message)
        : std::runtime_error(message), name_(std::move(name)) {}
    // The D-Bus error name; empty when the call never reached the bus.
    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

struct RemoteLibraryOptions {
    // How long one read waits: callers take turns at the service, so an
    // answer that takes longer is not coming.
    std::chrono::milliseconds callTimeout{std::chrono::seconds(10)};
    // How long a change waits: it may include typing a password.
    std::chrono::milliseconds changeTimeout{std::chrono::minutes(6)};
    // After an unanswered call, how long later calls fail at once.
    std::chrono::milliseconds coolDown{std::chrono::seconds(10)};
};

class RemoteLibrary final : public ControllerLibrary {
  public:
    explicit RemoteLibrary(RemoteLibraryOptions options = {});
    ~RemoteLibrary() override;

    // True for the cool-down after an unanswered call.
    bool failingFast() const;
    // False from an unanswered call until a call is answered.
    bool answering() const { return !unansweredAt_; }

    // Why the service cannot use its controller library (it could not load
    // it, or starting it failed); Kind::None when it can. Throws
    // RemoteLibraryError.
    LibraryFailure libraryProblem();

    // Asks the service whether this client may change the enclosure (polkit
    // may ask for a password); throws RemoteLibraryError when it may not.
    void authorizeChanges();
    // Why polkit refused the last change that it refused; empty when none was.
    const std::string& refusal() const { return refusal_; }

    NORVIK_LIBRARY_OPERATIONS(NORVIK_LIBRARY_OPERATION_OVERRIDE)

  private:
    enum class Kind { Reading, Change, Rescan };

    template <auto operation, class... Args>
    MV_U8 carry(Args... arguments) {
        using Shape = typename LibraryOperation<operation>::Shape;
        return carryAs<operation>(Shape{}, arguments...);
    }
    template <auto operation, class Shape>
    MV_U8 carryAs(Shape);
    template <auto operation, class Record>
    MV_U8 carryAs(library_shape::AdapterRecord<Record>,
                  MV_U8 adapterId,
                  MV_U8* out,
                  Record* record);
    template <auto operation, class Record>
    MV_U8 carryAs(library_shape::Request<Record>, MV_U8 adapterId, void* request);
    template <auto operation, class Record>
    MV_U8 carryAs(library_shape::RecordChange<Record>, MV_U8 adapterId, Record* record);
    template <auto operation, class... Ids>
    MV_U8 carryAs(library_shape::IdsChange, MV_U8 adapterId, Ids... ids);

    platform::bus::MessagePtr newCall(const char* interface, const char* method);
    // Sends `call` and returns the reply; throws RemoteLibraryError.
    platform::bus::MessagePtr send(platform::bus::MessagePtr call, Kind kind);
    MV_U8 recordCall(const char* method,
                     MV_U8 adapterId,
                     MV_U8* out,
                     void* record,
                     std::size_t size);
    MV_U8 requestCall(const char* method, MV_U8 adapterId, void* request, std::size_t size);
    MV_U8 changeCall(const char* method, MV_U8 adapterId, const void* record, std::size_t size);
    sd_bus* bus();

    RemoteLibraryOptions options_;
    platform::bus::BusPtr bus_;
    std::optional<platform::TimePoint> unansweredAt_;
    std::string refusal_;
};

// Whether norvik-raidd is on the system bus, running or activatable.
bool controllerServiceAvailable();

}  // namespace service
