#include "service/remote_library.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "service/bus_names.h"

namespace service {

namespace {

void check(int r, const char* what) {
    if (r < 0) {
        throw RemoteLibraryError({}, std::string(what) + ": " + std::strerror(-r));
    }
}

std::uint64_t microseconds(std::chrono::milliseconds timeout) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(timeout).count());
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

MessagePtr RemoteLibrary::newCall(const char* method) {
    sd_bus_message* raw = nullptr;
    check(sd_bus_message_new_method_call(bus(), &raw, kBusName, kObjectPath, kInterface, method),
          method);
    return MessagePtr(raw);
}

MessagePtr RemoteLibrary::send(MessagePtr call, Kind kind) {
    if (unanswered_ && kind != Kind::Rescan) {
        throw RemoteLibraryError({}, "the controller service did not answer; waiting for a rescan");
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const auto timeout = kind == Kind::Change ? options_.changeTimeout : options_.callTimeout;
    const int r = sd_bus_call(bus(), call.get(), microseconds(timeout), error.get(), &raw);
    MessagePtr reply(raw);
    if (r < 0) {
        // No reply: the call timed out or the service ended while serving it.
        if (r == -ETIMEDOUT || error.hasName(SD_BUS_ERROR_NO_REPLY)) {
            unanswered_ = true;
        }
        if (error.hasName(SD_BUS_ERROR_ACCESS_DENIED)) {
            refusal_ = error.get()->message ? error.get()->message : SD_BUS_ERROR_ACCESS_DENIED;
        }
        throw RemoteLibraryError(error.get()->name ? error.get()->name : "", error.describe(r));
    }
    if (kind == Kind::Rescan) {
        unanswered_ = false;
    }
    return reply;
}

MV_U8 RemoteLibrary::statusCall(const char* method, Kind kind) {
    MessagePtr reply = send(newCall(method), kind);
    return readStatus(reply.get());
}

MV_U8 RemoteLibrary::requestCall(const char* method,
                                 MV_U8 adapterId,
                                 void* request,
                                 std::size_t size) {
    if (!request) {
        throw RemoteLibraryError({}, std::string(method) + " without a request buffer");
    }
    MessagePtr call = newCall(method);
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
    MessagePtr call = newCall(method);
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
    MessagePtr call = newCall(method);
    check(sd_bus_message_append_basic(call.get(), 'y', &adapterId), method);
    check(sd_bus_message_append_array(call.get(), 'y', record, size), method);
    MessagePtr reply = send(std::move(call), Kind::Change);
    return readStatus(reply.get());
}

template <class... Args>
MV_U8 RemoteLibrary::idsCall(const char* method, const char* types, Args... args) {
    MessagePtr call = newCall(method);
    check(sd_bus_message_append(call.get(), types, args...), method);
    MessagePtr reply = send(std::move(call), Kind::Change);
    return readStatus(reply.get());
}

void RemoteLibrary::authorizeChanges() {
    send(newCall("AuthorizeChanges"), Kind::Change);
}

MV_U8 RemoteLibrary::MV_API_Initialize() {
    return statusCall("MV_API_Initialize");
}
MV_U8 RemoteLibrary::MV_API_RescanAdapter() {
    return statusCall("MV_API_RescanAdapter", Kind::Rescan);
}
MV_U8 RemoteLibrary::MV_API_Finalize() {
    return statusCall("MV_API_Finalize");
}
MV_U8 RemoteLibrary::MV_Adapter_GetCount() {
    return statusCall("MV_Adapter_GetCount");
}
MV_U8 RemoteLibrary::MV_Adapter_GetInfo(MV_U8 adapterId, MV_U8* count, Adapter_Info* info) {
    return recordCall("MV_Adapter_GetInfo", adapterId, count, info, sizeof(Adapter_Info));
}
MV_U8 RemoteLibrary::MV_Adapter_GetConfig(MV_U8 adapterId, MV_U8* out, Adapter_Config* config) {
    return recordCall("MV_Adapter_GetConfig", adapterId, out, config, sizeof(Adapter_Config));
}
MV_U8 RemoteLibrary::MV_Adapter_SetConfig(MV_U8 adapterId, Adapter_Config* config) {
    return changeCall("MV_Adapter_SetConfig", adapterId, config, config ? sizeof *config : 0);
}
MV_U8 RemoteLibrary::MV_PD_GetHDInfo_Ext(MV_U8 adapterId, void* request) {
    return requestCall("MV_PD_GetHDInfo_Ext", adapterId, request, MV_HD_WALK_BUFFER_SIZE);
}
MV_U8 RemoteLibrary::MV_LD_GetInfo(MV_U8 adapterId, void* request) {
    return requestCall("MV_LD_GetInfo", adapterId, request, MV_LD_WALK_BUFFER_SIZE);
}
MV_U8 RemoteLibrary::MV_PD_GetHDRaidStatus(MV_U8 adapterId, void* request) {
    return requestCall("MV_PD_GetHDRaidStatus", adapterId, request,
                       sizeof(RequestHeader) + sizeof(HD_RAID_Status));
}
MV_U8 RemoteLibrary::MV_LD_GetStatus(MV_U8 adapterId, void* request) {
    return requestCall("MV_LD_GetStatus", adapterId, request,
                       sizeof(RequestHeader) + sizeof(LD_Status));
}
MV_U8 RemoteLibrary::MV_BLK_GetInfo(MV_U8 adapterId, void* request) {
    return requestCall("MV_BLK_GetInfo", adapterId, request,
                       sizeof(RequestHeader) + sizeof(Block_Info));
}
MV_U8 RemoteLibrary::MV_BLK_GetHDBlock(MV_U8 adapterId, void* request) {
    return requestCall("MV_BLK_GetHDBlock", adapterId, request,
                       sizeof(RequestHeader) + sizeof(HD_Block_Info));
}
MV_U8 RemoteLibrary::MV_LD_Create(MV_U8 adapterId, Create_LD_Param* param) {
    return changeCall("MV_LD_Create", adapterId, param, param ? sizeof *param : 0);
}
MV_U8 RemoteLibrary::MV_LD_Delete(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) {
    return idsCall("MV_LD_Delete", "yqy", adapterId, ldId, flag);
}
MV_U8 RemoteLibrary::MV_PD_WipeHDMDD(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) {
    return idsCall("MV_PD_WipeHDMDD", "yqy", adapterId, hdId, flag);
}
MV_U8 RemoteLibrary::MV_LD_StartRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) {
    return idsCall("MV_LD_StartRebuild", "yqq", adapterId, ldId, hdId);
}
MV_U8 RemoteLibrary::MV_LD_BGAControl(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) {
    return idsCall("MV_LD_BGAControl", "yqy", adapterId, ldId, code);
}

bool controllerServiceAvailable() {
    sd_bus* raw = nullptr;
    if (sd_bus_open_system(&raw) < 0) {
        return false;
    }
    BusPtr bus(raw);
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
