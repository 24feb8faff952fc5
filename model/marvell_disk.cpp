#include "model/marvell_disk.h"

#include <cstring>

#include "model/guard.h"
#include "model/library_binding.h"
#include "model/request_buffer.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

std::shared_ptr<MarvellDisk> MarvellDisk::initWithInfo(const HD_Info* info) {
    if (!info) {
        return nullptr;
    }
    return std::make_shared<MarvellDisk>(Private{}, *info);
}

MarvellDisk::MarvellDisk(Private, const HD_Info& info) {
    std::memcpy(&fInfo, &info, sizeof fInfo);
}

int MarvellDisk::hdid() const {
    return fInfo.Link.Self.DevID;
}

int MarvellDisk::slot() const {
    return hdid() - 1;
}

std::uint64_t MarvellDisk::capacity() const {
    return fInfo.Size.value << 10;
}

int MarvellDisk::status() const {
    return guarded<int>(MV_HD_STATUS_OFFLINE, [&] {
        DiskStatusBuffer request(MV_REQUEST_BY_ID, fInfo.Link.Self.DevID);
        if (controllerLibrary().MV_PD_GetHDRaidStatus(fInfo.AdapterID, request.data()) != 0) {
            return static_cast<int>(MV_HD_STATUS_OFFLINE);
        }
        return static_cast<int>(request.field<MV_U8, offsetof(HD_RAID_Status, Status)>());
    });
}

std::string MarvellDisk::statusString() const {
    static constexpr struct {
        int bit;
        const char* key;
    } kNames[] = {
        {MV_HD_STATUS_FREE, "HD_STATUS_FREE"},
        {MV_HD_STATUS_ASSIGNED, "HD_STATUS_ASSIGNED"},
        {MV_HD_STATUS_SPARE, "HD_STATUS_SPARE"},
        {MV_HD_STATUS_OFFLINE, "HD_STATUS_OFFLINE"},
        {MV_HD_STATUS_SMARTCHECKING, "HD_STATUS_SMARTCHECKING"},
        {MV_HD_STATUS_DEDICATED_SPARE, "HD_STATUS_DEDICATED_SPARE"},
    };
    const auto& strings = platform::Bundle::mainBundle();
    const int bits = status();
    for (const auto& name : kNames) {
        if (bits & name.bit) {
            return strings.localizedString(name.key);
        }
    }
    return platform::formatString(strings.localizedString("HD_STATUS_UNKNOWN"), {bits});
}

std::string MarvellDisk::name() const {
    return platform::Bundle::mainBundle().localizedString("DISK_" + std::to_string(hdid()));
}
