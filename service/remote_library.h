// The controller library as a client of norvik-raidd sees it: each operation
// is one method call on the system bus. Any D-Bus error (refused, service
// gone, no reply in time) is thrown as RemoteLibraryError, a std::exception,
// so the model's guard gives its fallbacks. After a call goes unanswered,
// every later call fails at once until the service answers a rescan, so one
// refresh never waits for an absent answer more than once. Changes may ask
// the desktop's polkit agent for a password. Not thread-safe.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include "model/controller_library.h"
#include "service/bus_handles.h"

namespace service {

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
    // How long a reading call waits: a little over the service's own limit
    // on one library call, after which the service ends itself.
    std::chrono::milliseconds callTimeout{std::chrono::seconds(35)};
    // How long a change waits: it may include typing a password.
    std::chrono::milliseconds changeTimeout{std::chrono::minutes(6)};
};

class RemoteLibrary final : public ControllerLibrary {
  public:
    explicit RemoteLibrary(RemoteLibraryOptions options = {});
    ~RemoteLibrary() override;

    // True from an unanswered call until a rescan is answered.
    bool failingFast() const { return unanswered_; }

    // Asks the service whether this client may change the enclosure (polkit
    // may ask for a password); throws RemoteLibraryError when it may not.
    void authorizeChanges();
    // Why polkit refused the last change that it refused; empty when none was.
    const std::string& refusal() const { return refusal_; }

    MV_U8 MV_API_Initialize() override;
    MV_U8 MV_API_RescanAdapter() override;
    MV_U8 MV_API_Finalize() override;
    MV_U8 MV_Adapter_GetCount() override;
    MV_U8 MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) override;
    MV_U8 MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) override;
    MV_U8 MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) override;
    MV_U8 MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_GetInfo(MV_U8 adapterId, void* request) override;
    MV_U8 MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_GetStatus(MV_U8 adapterId, void* request) override;
    MV_U8 MV_BLK_GetInfo(MV_U8 adapterId, void* request) override;
    MV_U8 MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) override;
    MV_U8 MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) override;
    MV_U8 MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) override;
    MV_U8 MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) override;
    MV_U8 MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) override;
    MV_U8 MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) override;

  private:
    enum class Kind { Reading, Change, Rescan };
    MessagePtr newCall(const char* method);
    // Sends `call` and returns the reply; throws RemoteLibraryError.
    MessagePtr send(MessagePtr call, Kind kind);
    MV_U8 statusCall(const char* method, Kind kind = Kind::Reading);
    MV_U8 requestCall(const char* method, MV_U8 adapterId, void* request, std::size_t size);
    MV_U8 recordCall(const char* method,
                     MV_U8 adapterId,
                     MV_U8* out,
                     void* record,
                     std::size_t size);
    MV_U8 changeCall(const char* method, MV_U8 adapterId, const void* record, std::size_t size);
    template <class... Args>
    MV_U8 idsCall(const char* method, const char* types, Args... args);
    sd_bus* bus();

    RemoteLibraryOptions options_;
    BusPtr bus_;
    bool unanswered_ = false;
    std::string refusal_;
};

// Whether norvik-raidd is on the system bus, running or activatable.
bool controllerServiceAvailable();

}  // namespace service
