#include "ui/disk_identity.h"

#include "ui/localized.h"

namespace {

std::string orUnknown(const std::string& text) {
    return text.empty() ? localized("DISK_DETAIL_UNKNOWN") : text;
}

}  // namespace

std::string diskIdentity(const MarvellDisk& disk) {
    return localizedFormat("DISK_IDENTITY",
                           {orUnknown(disk.modelNumber()), orUnknown(disk.serialNumber())});
}

std::string memberIdentities(const MarvellRAIDSet& set, const MarvellController* controller) {
    std::string lines;
    if (!controller) {
        return lines;
    }
    for (const int id : set.disks()) {
        if (auto disk = controller->findDiskByHDID(static_cast<std::uint16_t>(id))) {
            lines += (lines.empty() ? "" : "\n") +
                     localizedFormat("MEMBER_DISK_IDENTITY",
                                     {disk->slot(), orUnknown(disk->modelNumber()),
                                      orUnknown(disk->serialNumber())});
        }
    }
    return lines;
}
