#include "service/bus_service.h"

#include <cstdint>
#include <span>
#include <stdexcept>

#include "service/bus_handles.h"
#include "service/bus_names.h"
#include "service/polkit_authority.h"

namespace service {

namespace {

class AccessRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A read failure of an argument; sd-bus has already checked the signature.
void check(int r) {
    if (r < 0) {
        throw RequestRefused("malformed arguments");
    }
}

void authorize(sd_bus_message* call) {
    Authorization verdict = checkAuthorization(call, kConfigureAction);
    if (!verdict.allowed) {
        throw AccessRefused(verdict.why);
    }
}

std::span<const unsigned char> readBytes(sd_bus_message* call) {
    const void* data = nullptr;
    std::size_t size = 0;
    check(sd_bus_message_read_array(call, 'y', &data, &size));
    return {static_cast<const unsigned char*>(data), size};
}

template <class T>
T read(sd_bus_message* call, const char* type) {
    T value{};
    check(sd_bus_message_read_basic(call, type[0], &value));
    return value;
}

MV_U8 readByte(sd_bus_message* call) {
    return read<MV_U8>(call, "y");
}
MV_U16 readId(sd_bus_message* call) {
    return read<MV_U16>(call, "q");
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

using Handler = int (*)(LibraryHost&, sd_bus_message*);

// Turns what a handler throws into the caller's D-Bus error; nothing thrown
// crosses into sd-bus.
template <Handler handler>
int serve(sd_bus_message* call, void* userdata, sd_bus_error* error) {
    auto& host = *static_cast<LibraryHost*>(userdata);
    try {
        return handler(host, call);
    } catch (const RequestRefused& e) {
        return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, e.what());
    } catch (const AccessRefused& e) {
        return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, e.what());
    } catch (const std::exception& e) {
        return sd_bus_error_setf(error, kErrorFailed, "the controller library call failed: %s",
                                 e.what());
    } catch (...) {
        return sd_bus_error_set(error, kErrorFailed,
                                "the controller library raised an unknown exception");
    }
}

template <RequestOperation operation>
int request(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    RequestReply reply = host.request(operation, adapter, readBytes(call));
    return replyWithBytes(call, reply.status, nullptr, reply.request);
}

int initialize(LibraryHost& host, sd_bus_message* call) {
    return replyStatus(call, host.initialize());
}
int rescan(LibraryHost& host, sd_bus_message* call) {
    return replyStatus(call, host.rescan());
}
int finalize(LibraryHost& host, sd_bus_message* call) {
    return replyStatus(call, host.finalize());
}
int adapterCount(LibraryHost& host, sd_bus_message* call) {
    return replyStatus(call, host.adapterCount());
}
int adapterInfo(LibraryHost& host, sd_bus_message* call) {
    RecordReply reply = host.adapterInfo(readByte(call));
    return replyWithBytes(call, reply.status, &reply.out, reply.record);
}
int adapterConfig(LibraryHost& host, sd_bus_message* call) {
    RecordReply reply = host.adapterConfig(readByte(call));
    return replyWithBytes(call, reply.status, &reply.out, reply.record);
}
int setAdapterConfig(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const auto record = readBytes(call);
    authorize(call);
    return replyStatus(call, host.setAdapterConfig(adapter, record));
}
int createVolume(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const auto parameters = readBytes(call);
    authorize(call);
    return replyStatus(call, host.createVolume(adapter, parameters));
}
int deleteVolume(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const MV_U16 ld = readId(call);
    const MV_U8 flag = readByte(call);
    authorize(call);
    return replyStatus(call, host.deleteVolume(adapter, ld, flag));
}
int wipeDisk(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const MV_U16 hd = readId(call);
    const MV_U8 flag = readByte(call);
    authorize(call);
    return replyStatus(call, host.wipeDisk(adapter, hd, flag));
}
int startRebuild(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const MV_U16 ld = readId(call);
    const MV_U16 hd = readId(call);
    authorize(call);
    return replyStatus(call, host.startRebuild(adapter, ld, hd));
}
int controlBackgroundActivity(LibraryHost& host, sd_bus_message* call) {
    const MV_U8 adapter = readByte(call);
    const MV_U16 ld = readId(call);
    const MV_U8 code = readByte(call);
    authorize(call);
    return replyStatus(call, host.controlBackgroundActivity(adapter, ld, code));
}
// Asks polkit once, before a series of changes, so that a refusal comes
// before anything has changed and a password is typed once.
int authorizeChanges(LibraryHost&, sd_bus_message* call) {
    authorize(call);
    return sd_bus_reply_method_return(call, "");
}

constexpr auto kOpen = SD_BUS_VTABLE_UNPRIVILEGED;
// Changes are open at the bus level too: polkit decides, not the caller's capabilities.
constexpr auto kChange = SD_BUS_VTABLE_UNPRIVILEGED;

#define NORVIK_METHOD(name, in, inNames, out, outNames, handler, flags) \
    SD_BUS_METHOD_WITH_NAMES(name, in, inNames, out, outNames, serve<handler>, flags)

const sd_bus_vtable kLibraryVtable[] = {
    SD_BUS_VTABLE_START(0),
    NORVIK_METHOD("MV_API_Initialize", "", "", "y", SD_BUS_PARAM(status), initialize, kOpen),
    NORVIK_METHOD("MV_API_RescanAdapter", "", "", "y", SD_BUS_PARAM(status), rescan, kOpen),
    NORVIK_METHOD("MV_API_Finalize", "", "", "y", SD_BUS_PARAM(status), finalize, kOpen),
    NORVIK_METHOD("MV_Adapter_GetCount", "", "", "y", SD_BUS_PARAM(count), adapterCount, kOpen),
    NORVIK_METHOD("MV_Adapter_GetInfo",
                  "y",
                  SD_BUS_PARAM(adapter),
                  "yyay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(count) SD_BUS_PARAM(record),
                  adapterInfo,
                  kOpen),
    NORVIK_METHOD("MV_Adapter_GetConfig",
                  "y",
                  SD_BUS_PARAM(adapter),
                  "yyay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(out) SD_BUS_PARAM(record),
                  adapterConfig,
                  kOpen),
    NORVIK_METHOD("MV_Adapter_SetConfig",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(record),
                  "y",
                  SD_BUS_PARAM(status),
                  setAdapterConfig,
                  kChange),
    NORVIK_METHOD("MV_PD_GetHDInfo_Ext",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::DiskInfo>,
                  kOpen),
    NORVIK_METHOD("MV_LD_GetInfo",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::RAIDSetInfo>,
                  kOpen),
    NORVIK_METHOD("MV_PD_GetHDRaidStatus",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::DiskStatus>,
                  kOpen),
    NORVIK_METHOD("MV_LD_GetStatus",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::RAIDSetStatus>,
                  kOpen),
    NORVIK_METHOD("MV_BLK_GetInfo",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::BlockInfo>,
                  kOpen),
    NORVIK_METHOD("MV_BLK_GetHDBlock",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(request),
                  "yay",
                  SD_BUS_PARAM(status) SD_BUS_PARAM(request),
                  request<RequestOperation::DiskBlockList>,
                  kOpen),
    NORVIK_METHOD("MV_LD_Create",
                  "yay",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(parameters),
                  "y",
                  SD_BUS_PARAM(status),
                  createVolume,
                  kChange),
    NORVIK_METHOD("MV_LD_Delete",
                  "yqy",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(ld) SD_BUS_PARAM(flag),
                  "y",
                  SD_BUS_PARAM(status),
                  deleteVolume,
                  kChange),
    NORVIK_METHOD("MV_PD_WipeHDMDD",
                  "yqy",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(hd) SD_BUS_PARAM(flag),
                  "y",
                  SD_BUS_PARAM(status),
                  wipeDisk,
                  kChange),
    NORVIK_METHOD("MV_LD_StartRebuild",
                  "yqq",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(ld) SD_BUS_PARAM(hd),
                  "y",
                  SD_BUS_PARAM(status),
                  startRebuild,
                  kChange),
    NORVIK_METHOD("MV_LD_BGAControl",
                  "yqy",
                  SD_BUS_PARAM(adapter) SD_BUS_PARAM(ld) SD_BUS_PARAM(code),
                  "y",
                  SD_BUS_PARAM(status),
                  controlBackgroundActivity,
                  kChange),
    NORVIK_METHOD("AuthorizeChanges", "", "", "", "", authorizeChanges, kChange),
    SD_BUS_VTABLE_END,
};

#undef NORVIK_METHOD

}  // namespace

BusService::~BusService() {
    sd_bus_slot_unref(slot_);
}

int BusService::attach(sd_bus* bus) {
    return sd_bus_add_object_vtable(bus, &slot_, kObjectPath, kInterface, kLibraryVtable, &host_);
}

}  // namespace service
