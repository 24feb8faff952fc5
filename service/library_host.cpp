#include "service/library_host.h"

#include <cstring>
#include <string>

#include "model/adapter_config_buffer.h"

namespace service {

namespace {

const char* operationName(RequestOperation operation) {
    switch (operation) {
        case RequestOperation::DiskInfo:
            return "MV_PD_GetHDInfo_Ext";
        case RequestOperation::RAIDSetInfo:
            return "MV_LD_GetInfo";
        case RequestOperation::DiskStatus:
            return "MV_PD_GetHDRaidStatus";
        case RequestOperation::RAIDSetStatus:
            return "MV_LD_GetStatus";
        case RequestOperation::BlockInfo:
            return "MV_BLK_GetInfo";
        case RequestOperation::DiskBlockList:
            return "MV_BLK_GetHDBlock";
    }
    return "?";
}

MV_U8 callRequest(ControllerLibrary& library,
                  RequestOperation operation,
                  MV_U8 adapterId,
                  void* buffer) {
    switch (operation) {
        case RequestOperation::DiskInfo:
            return library.MV_PD_GetHDInfo_Ext(adapterId, buffer);
        case RequestOperation::RAIDSetInfo:
            return library.MV_LD_GetInfo(adapterId, buffer);
        case RequestOperation::DiskStatus:
            return library.MV_PD_GetHDRaidStatus(adapterId, buffer);
        case RequestOperation::RAIDSetStatus:
            return library.MV_LD_GetStatus(adapterId, buffer);
        case RequestOperation::BlockInfo:
            return library.MV_BLK_GetInfo(adapterId, buffer);
        case RequestOperation::DiskBlockList:
            return library.MV_BLK_GetHDBlock(adapterId, buffer);
    }
    throw RequestRefused("unknown operation");
}

void refuseIf(const std::optional<std::string>& why) {
    if (why) {
        throw RequestRefused(*why);
    }
}

// A record the library fills in place, copied out byte for byte.
template <class Record>
Bytes bytesOf(const Record& record) {
    Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

// A record from a client's bytes, whose length was checked.
template <class Record>
Record recordFrom(std::span<const unsigned char> bytes) {
    Record record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record;
}

}  // namespace

LibraryHost::LibraryHost(ControllerLibrary& library, CallWatchdog& watchdog)
    : library_(library),
      watchdog_(watchdog),
      session_(library, [this](const char* operation, const std::function<MV_U8()>& call) {
          auto armed = watchdog_.arm(operation);
          return call();
      }) {}

MV_U8 LibraryHost::startUp() {
    startStatus_ = session_.start();
    adapterCount_ = 0;
    if (session_.failure().empty()) {
        try {
            countAdapters();
        } catch (const std::exception&) {
            // Counted again at the first use.
        }
    }
    return startStatus_;
}

bool LibraryHost::shutDown() {
    return session_.finish();
}

MV_U8 LibraryHost::rescan() {
    MV_U8 status;
    {
        auto armed = watchdog_.arm("MV_API_RescanAdapter");
        status = library_.MV_API_RescanAdapter();
    }
    adapterCount_ = 0;
    try {
        countAdapters();
    } catch (const std::exception&) {
        // The client asked for a rescan, not a count; the next use counts again.
    }
    return status;
}

MV_U8 LibraryHost::countAdapters() {
    auto armed = watchdog_.arm("MV_Adapter_GetCount");
    adapterCount_ = library_.MV_Adapter_GetCount();
    return adapterCount_;
}

MV_U8 LibraryHost::adapterCount() {
    return countAdapters();
}

void LibraryHost::requireAdapter(MV_U8 adapterId) {
    if (adapterId < adapterCount_ || adapterId < countAdapters()) {
        return;
    }
    throw RequestRefused("no adapter " + std::to_string(adapterId) + " (the library lists " +
                         std::to_string(adapterCount_) + ")");
}

// One library call for a listed adapter, under the watchdog.
template <class Call>
MV_U8 LibraryHost::onAdapter(const char* operation, MV_U8 adapterId, Call&& call) {
    requireAdapter(adapterId);
    auto armed = watchdog_.arm(operation);
    return call();
}

// An adapter record the library fills, with the byte it writes beside it.
template <class Record>
RecordReply LibraryHost::readRecord(const char* operation,
                                    MV_U8 adapterId,
                                    MV_U8 (ControllerLibrary::*call)(MV_U8, MV_U8*, Record*)) {
    requireAdapter(adapterId);
    Record record{};
    RecordReply reply;
    {
        auto armed = watchdog_.arm(operation);
        reply.status = (library_.*call)(adapterId, &reply.out, &record);
    }
    reply.record = bytesOf(record);
    return reply;
}

RecordReply LibraryHost::adapterInfo(MV_U8 adapterId) {
    return readRecord("MV_Adapter_GetInfo", adapterId, &ControllerLibrary::MV_Adapter_GetInfo);
}

// The settings record's true size is the library's, so it only ever sees a
// large zeroed buffer of ours; clients exchange our 64 bytes at its front.
RecordReply LibraryHost::adapterConfig(MV_U8 adapterId) {
    requireAdapter(adapterId);
    AdapterConfigBuffer config{};
    RecordReply reply;
    {
        auto armed = watchdog_.arm("MV_Adapter_GetConfig");
        reply.status = library_.MV_Adapter_GetConfig(adapterId, &reply.out, config.record());
    }
    reply.record.assign(config.bytes, config.bytes + sizeof(Adapter_Config));
    return reply;
}

MV_U8 LibraryHost::setAdapterConfig(MV_U8 adapterId, std::span<const unsigned char> record) {
    refuseIf(refuseAdapterConfig(record));
    requireAdapter(adapterId);
    // What the library keeps beyond our 64 bytes is written back as it was read.
    AdapterConfigBuffer config{};
    MV_U8 unread = 0;
    {
        auto armed = watchdog_.arm("MV_Adapter_GetConfig");
        const MV_U8 status = library_.MV_Adapter_GetConfig(adapterId, &unread, config.record());
        if (status != 0) {
            return status;
        }
    }
    std::memcpy(config.bytes, record.data(), sizeof(Adapter_Config));
    auto armed = watchdog_.arm("MV_Adapter_SetConfig");
    return library_.MV_Adapter_SetConfig(adapterId, config.record());
}

RequestReply LibraryHost::request(RequestOperation operation,
                                  MV_U8 adapterId,
                                  std::span<const unsigned char> request) {
    refuseIf(refuseRequest(operation, request));
    requireAdapter(adapterId);
    // Exactly the checked size, on the heap (aligned for any record), so that a
    // library writing past it is caught by the sanitizers in tests.
    RequestReply reply;
    reply.request.assign(request.begin(), request.end());
    auto armed = watchdog_.arm(operationName(operation));
    reply.status = callRequest(library_, operation, adapterId, reply.request.data());
    return reply;
}

MV_U8 LibraryHost::createVolume(MV_U8 adapterId, std::span<const unsigned char> parameters) {
    refuseIf(refuseCreateParameters(parameters));
    requireAdapter(adapterId);
    auto param = recordFrom<Create_LD_Param>(parameters);
    auto armed = watchdog_.arm("MV_LD_Create");
    return library_.MV_LD_Create(adapterId, &param);
}

MV_U8 LibraryHost::deleteVolume(MV_U8 adapterId, MV_U16 ldId, MV_U8 flag) {
    return onAdapter("MV_LD_Delete", adapterId,
                     [&] { return library_.MV_LD_Delete(adapterId, ldId, flag); });
}

MV_U8 LibraryHost::wipeDisk(MV_U8 adapterId, MV_U16 hdId, MV_U8 flag) {
    return onAdapter("MV_PD_WipeHDMDD", adapterId,
                     [&] { return library_.MV_PD_WipeHDMDD(adapterId, hdId, flag); });
}

MV_U8 LibraryHost::startRebuild(MV_U8 adapterId, MV_U16 ldId, MV_U16 hdId) {
    return onAdapter("MV_LD_StartRebuild", adapterId,
                     [&] { return library_.MV_LD_StartRebuild(adapterId, ldId, hdId); });
}

MV_U8 LibraryHost::controlBackgroundActivity(MV_U8 adapterId, MV_U16 ldId, MV_U8 code) {
    return onAdapter("MV_LD_BGAControl", adapterId,
                     [&] { return library_.MV_LD_BGAControl(adapterId, ldId, code); });
}

}  // namespace service
