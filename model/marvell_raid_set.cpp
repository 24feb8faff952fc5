#include "model/marvell_raid_set.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "model/block_queries.h"
#include "model/guard.h"
#include "model/library_binding.h"
#include "model/request_buffer.h"
#include "model/utf8.h"
#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

namespace {

std::string localizedOrUnknown(int value,
                               std::initializer_list<std::pair<int, const char*>> keys,
                               const char* unknownKey) {
    const auto& strings = platform::Bundle::mainBundle();
    for (const auto& [known, key] : keys) {
        if (value == known) {
            return strings.localizedString(key);
        }
    }
    return platform::formatString(strings.localizedString(unknownKey), {value});
}

}  // namespace

std::shared_ptr<MarvellRAIDSet> MarvellRAIDSet::initWithInfo(const LD_Info* info) {
    if (!info) {
        return nullptr;
    }
    return std::make_shared<MarvellRAIDSet>(Private{}, *info);
}

MarvellRAIDSet::MarvellRAIDSet(Private, const LD_Info& info) {
    std::memcpy(&fInfo, &info, sizeof fInfo);
}

int MarvellRAIDSet::vdid() const {
    return fInfo.ID;
}

int MarvellRAIDSet::mode() const {
    return fInfo.RaidMode;
}

int MarvellRAIDSet::memberCount() const {
    return fInfo.HDCount;
}

std::uint64_t MarvellRAIDSet::capacity() const {
    return fInfo.Size.value << 10;
}

std::optional<std::string> MarvellRAIDSet::name() const {
    const auto* bytes = reinterpret_cast<const char*>(fInfo.Name);
    const std::string_view field(bytes, sizeof fInfo.Name);
    const std::string_view text = field.substr(0, field.find('\0'));
    if (!isValidUTF8(text)) {
        return std::nullopt;
    }
    return std::string(text);
}

std::vector<int> MarvellRAIDSet::members() const {
    // A count beyond the record's room stops at the 128 IDs it holds.
    const std::size_t count = std::min<std::size_t>(fInfo.HDCount, MV_MAX_LD_MEMBERS);
    return std::vector<int>(fInfo.BlockIDs, fInfo.BlockIDs + count);
}

std::vector<int> MarvellRAIDSet::disks() const {
    return readDisks().ids;
}

MarvellRAIDSet::DiskIDs MarvellRAIDSet::readDisks() const {
    DiskIDs disks;
    for (int block : members()) {
        const auto owner = guarded(std::optional<BlockOwner>{}, [&] {
            return lookUpBlock(fInfo.AdapterID, static_cast<MV_U16>(block));
        });
        if (owner) {
            disks.ids.push_back(owner->hdid);
        } else {
            disks.complete = false;
        }
    }
    std::sort(disks.ids.begin(), disks.ids.end());
    return disks;
}

std::optional<MarvellRAIDSet::LiveState> MarvellRAIDSet::readState() const {
    return guarded(std::optional<LiveState>(), [&]() -> std::optional<LiveState> {
        RAIDSetStatusBuffer request(MV_REQUEST_BY_ID, fInfo.ID);
        if (controllerLibrary().MV_LD_GetStatus(fInfo.AdapterID, request.data()) != 0) {
            return std::nullopt;
        }
        const auto record = request.record<LD_Status>();
        if (record.Flags & MV_LD_FLAG_REBUILDING) {
            return LiveState{kStatusRebuilding, record.Percentage};
        }
        return LiveState{record.Status, 0};
    });
}

std::optional<int> MarvellRAIDSet::readStatus() const {
    const auto state = readState();
    return state ? std::optional<int>(state->status) : std::nullopt;
}

int MarvellRAIDSet::status() const {
    return readStatus().value_or(kStatusUnknown);
}

int MarvellRAIDSet::rebuildProgress() const {
    const auto state = readState();
    return state ? state->progress : 0;
}

std::string MarvellRAIDSet::statusString() const {
    return statusText(readStatus());
}

std::string MarvellRAIDSet::statusText(std::optional<int> status) {
    if (!status) {
        return platform::Bundle::mainBundle().localizedString("STATUS_UNREADABLE");
    }
    return localizedOrUnknown(*status,
                              {{MV_LD_STATUS_FUNCTIONAL, "LD_STATUS_FUNCTIONAL"},
                               {MV_LD_STATUS_DEGRADE, "LD_STATUS_DEGRADE"},
                               {MV_LD_STATUS_OFFLINE, "LD_STATUS_OFFLINE"},
                               {kStatusRebuilding, "LD_STATUS_REBUILDING"}},
                              "LD_STATUS_UNKNOWN");
}

std::string MarvellRAIDSet::modeString() const {
    return modeText(mode());
}

std::string MarvellRAIDSet::modeText(int mode) {
    return localizedOrUnknown(
        mode, {{MV_LD_MODE_RAID0, "LD_MODE_RAID0"}, {MV_LD_MODE_RAID1, "LD_MODE_RAID1"}},
        "LD_MODE_UNKNOWN");
}

MV_U8 MarvellRAIDSet::rebuild(std::uint16_t hdid) {
    return guarded<MV_U8>(kStatusRaised, [&] {
        auto& library = controllerLibrary();
        library.MV_PD_WipeHDMDD(fInfo.AdapterID, hdid, 0);
        return library.MV_LD_StartRebuild(fInfo.AdapterID, fInfo.ID, hdid);
    });
}

MV_U8 MarvellRAIDSet::cancelRebuild() {
    return controllerLibrary().MV_LD_BGAControl(fInfo.AdapterID, fInfo.ID,
                                                MV_BGA_CONTROL_CANCEL_REBUILD);
}
