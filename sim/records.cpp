#include "sim/records.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace sim {

namespace {

template <std::size_t N>
void putText(MV_U8 (&field)[N], const std::string& text) {
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

void putVersion(Component_Version& v, const std::array<std::uint16_t, 4>& parts) {
    v.MajorVersion = parts[0];
    v.MinorVersion = parts[1];
    v.RevisionNumber = parts[2];
    v.BuildNumber = parts[3];
}

}  // namespace

Adapter_Info adapterRecord(const Enclosure& enclosure, int adapterId) {
    Adapter_Info info{};
    const ControllerIdentity& id = enclosure.identity;
    info.DriverVersion = {id.driverVersion[0], id.driverVersion[1], id.driverVersion[2],
                          id.driverVersion[3]};
    putVersion(info.BIOSVersion, id.biosVersion);
    putVersion(info.FirmwareVersion, id.firmwareVersion);
    putVersion(info.BootLoaderVersion, id.bootLoaderVersion);
    info.SystemIOBusNumber = static_cast<MV_U32>(8 + adapterId);
    info.InterruptLevel = 16;
    info.InterruptVector = static_cast<MV_U32>(48 + adapterId);
    info.VenID = id.vendorId;
    info.SubVenID = id.subsystemVendorId;
    info.DevID = id.deviceId;
    info.SubDevID = id.subsystemId;
    info.PortCount = id.portCount;
    info.PortSupportType = 1;
    info.RevisionID = 0x11;
    info.MaxPDPerVD = id.portCount;
    info.StripeSizeSupported = 64;
    info.MaxPDPerDG = id.portCount;
    info.MaxVDPerDG = 1;
    info.MaxDiskGroup = 1;
    info.MaxTotalBlocks = static_cast<MV_U8>(kMaxBlocksPerDisk * id.portCount);
    info.MaxBlockPerPD = kMaxBlocksPerDisk;
    info.MaxHD = id.portCount;
    info.MaxLogicalDrive = id.portCount;
    info.MaxHD_Ext = id.portCount;
    info.MaxBufferSize = 4096;
    putText(info.SerialNo, id.serialNumber);
    info.MaxSpeed = 3;
    info.CurrentSpeed = 3;
    info.MaxLinkWidth = 2;
    info.CurrentLinkWidth = 2;
    putText(info.ModelNumber, id.model);
    return info;
}

Adapter_Config adapterConfigRecord(const Enclosure& enclosure) {
    Adapter_Config config{};
    config.AutoRebuild = enclosure.autoRebuild ? 1 : 0;
    return config;
}

HD_Info diskRecord(const Disk& disk, int adapterId) {
    HD_Info info{};
    info.Link.Parent.DevID = 0;
    info.Link.Parent.EnclosureID = 0xFFFF;
    info.Link.Self.DevID = disk.deviceId();
    info.Link.Self.DevType = MV_DEVICE_TYPE_HD;
    info.Link.Self.PhyCnt = 1;
    info.Link.Self.PhyID[0] = static_cast<MV_U8>(disk.slot);
    info.Link.Self.EnclosureID = 0xFFFF;
    info.AdapterID = static_cast<MV_U8>(adapterId);
    info.UDMAMode = 6;
    info.CurrentUDMAMode = 6;
    info.FeatureSupport = 0x1F;
    putText(info.Model, disk.model);
    putText(info.SerialNo, disk.serialNumber);
    putText(info.FWVersion, disk.firmware);
    info.Size.value = disk.sizeKiB();
    info.BlockSize = 512;
    return info;
}

HD_RAID_Status diskStatusRecord(const Disk& disk) {
    HD_RAID_Status status{};
    status.Status = diskStatus(disk);
    return status;
}

LD_Info logicalDiskRecord(const Enclosure& enclosure,
                          const LogicalDisk& ld,
                          int adapterId,
                          const Timing& timing) {
    const LogicalDiskState state = logicalDiskState(enclosure, ld, timing);
    LD_Info info{};
    info.ID = ld.id;
    info.Status = state.status;
    info.BGAStatus = state.rebuilding ? 1 : 0;
    info.StripeBlockSize = 64;
    info.RaidMode = static_cast<MV_U8>(ld.mode);
    info.HDCount = static_cast<MV_U8>(ld.blocks.size());
    info.LD_GUID[0] = static_cast<MV_U8>(ld.id);
    info.LD_GUID[1] = static_cast<MV_U8>(ld.id >> 8);
    info.LD_GUID[7] = static_cast<MV_U8>(adapterId);
    info.SectorCoefficient = 1;
    info.AdapterID = static_cast<MV_U8>(adapterId);
    info.BlkCount = static_cast<MV_U8>(ld.blocks.size());
    info.Size.value = ld.sizeKiB;
    std::memcpy(info.Name, ld.name.data(), std::min(sizeof info.Name, ld.name.size()));
    for (std::size_t i = 0; i < ld.blocks.size() && i < MV_MAX_LD_MEMBERS; ++i) {
        info.BlockIDs[i] = ld.blocks[i];
    }
    info.BlockSize = 512;
    return info;
}

LD_Status logicalDiskStatusRecord(const Enclosure& enclosure,
                                  const LogicalDisk& ld,
                                  const Timing& timing) {
    const LogicalDiskState state = logicalDiskState(enclosure, ld, timing);
    LD_Status status{};
    status.Status = state.status;
    if (state.rebuilding) {
        status.Flags = MV_LD_FLAG_REBUILDING;
        status.Percentage = state.progress;
    }
    return status;
}

Block_Info blockRecord(const Disk& disk, const Block& block) {
    Block_Info info{};
    info.ID = block.id;
    info.HDID = disk.deviceId();
    if (block.logicalDisk) {
        info.Flags = MV_BLOCK_FLAG_ASSIGNED;
        info.LDID = *block.logicalDisk;
    }
    return info;
}

HD_Block_Info diskBlockList(const Disk& disk) {
    HD_Block_Info list{};
    list.BlockCount = static_cast<MV_U8>(std::min<std::size_t>(disk.blocks.size(), 255));
    for (std::size_t i = 0; i < disk.blocks.size() && i < MV_MAX_HD_BLOCKS; ++i) {
        list.BlockIDs[i] = disk.blocks[i].id;
    }
    return list;
}

LD_Info invalidLogicalDiskRecord() {
    LD_Info info{};
    info.Status = MV_LD_STATUS_INVALID;
    return info;
}

}  // namespace sim
