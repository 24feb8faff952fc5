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

std::optional<int> MarvellDisk::readStatus() const {
    return guarded(std::optional<int>(), [&]() -> std::optional<int> {
        DiskStatusBuffer request(MV_REQUEST_BY_ID, fInfo.Link.Self.DevID);
        if (controllerLibrary().MV_PD_GetHDRaidStatus(fInfo.AdapterID, request.data()) != 0) {
            return std::nullopt;
        }
        return request.field<MV_U8, offsetof(HD_RAID_Status, Status)>();
    });
}

int MarvellDisk::status() const {
    return readStatus().value_or(MV_HD_STATUS_OFFLINE);
}

std::string MarvellDisk::statusString() const {
    return statusText(readStatus());
}

int MarvellDisk::namingBit(int status) {
    for (const int bit :
         {MV_HD_STATUS_FREE, MV_HD_STATUS_ASSIGNED, MV_HD_STATUS_SPARE, MV_HD_STATUS_OFFLINE,
          MV_HD_STATUS_SMARTCHECKING, MV_HD_STATUS_DEDICATED_SPARE}) {
        if (status & bit) {
            return bit;
        }
    }
    return 0;
}

std::string MarvellDisk::statusText(std::optional<int> status) {
    const auto& strings = platform::Bundle::mainBundle();
    if (!status) {
        return strings.localizedString("STATUS_UNREADABLE");
    }
    const int bits = *status;
    switch (namingBit(bits)) {
        case MV_HD_STATUS_FREE:
            return strings.localizedString("HD_STATUS_FREE");
        case MV_HD_STATUS_ASSIGNED:
            return strings.localizedString("HD_STATUS_ASSIGNED");
        case MV_HD_STATUS_SPARE:
            return strings.localizedString("HD_STATUS_SPARE");
        case MV_HD_STATUS_OFFLINE:
            return strings.localizedString("HD_STATUS_OFFLINE");
        case MV_HD_STATUS_SMARTCHECKING:
            return strings.localizedString("HD_STATUS_SMARTCHECKING");
        case MV_HD_STATUS_DEDICATED_SPARE:
            return strings.localizedString("HD_STATUS_DEDICATED_SPARE");
        default:
            return platform::formatString(strings.localizedString("HD_STATUS_UNKNOWN"), {bits});
    }
}

std::string MarvellDisk::name() const {
    return platform::Bundle::mainBundle().localizedString("DISK_" + std::to_string(hdid()));
}

namespace {

// Disk identity fields are fixed-width, padded with blanks or zero bytes.
template <std::size_t N>
std::string recordText(const MV_U8 (&field)[N]) {
    std::string text;
    for (const MV_U8 byte : field) {
        if (byte == 0) {
            break;
        }
        text.push_back(byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?');
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string MarvellDisk::modelNumber() const {
    return recordText(fInfo.Model);
}

std::string MarvellDisk::serialNumber() const {
    return recordText(fInfo.SerialNo);
}
