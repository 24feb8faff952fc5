// Machines described in umockdev's record format, for the udev device
// source's tests: made-up devices with the shapes a Linux machine gives them.
//
//   0000:00:1c.4 root port
//     0000:03:00.0 Thunderbolt host switch
//       0000:04:00.0 → 0000:05:00.0 host interface → domain0/0-0 (host router)/0-1 (device)
//       0000:04:01.0 tunnel port → 0000:06:00.0 → 0000:07:00.0 bridges of the device
//         0000:08:00.0 the enclosure's controller, disks sdb (partitioned) and sdc
//   0000:00:1c.0 → 0000:02:00.0 a motherboard port with the same chip, disk sda
//   0000:00:14.0 USB host → a USB stick, sdd
//   0000:00:1d.0 → 0000:3d:00.0 an NVMe drive, nvme0n1 (partitioned)
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

namespace recordings {

inline const std::string kRootPort = "/sys/devices/pci0000:00/0000:00:1c.4";
inline const std::string kHostSwitch = kRootPort + "/0000:03:00.0";
inline const std::string kHostInterface = kHostSwitch + "/0000:04:00.0/0000:05:00.0";
inline const std::string kHostRouter = kHostInterface + "/domain0/0-0";
inline const std::string kThunderboltDevice = kHostRouter + "/0-1";
inline const std::string kTunnelPort = kHostSwitch + "/0000:04:01.0";
inline const std::string kEnclosureBridges = kTunnelPort + "/0000:06:00.0";
inline const std::string kEnclosureController = kEnclosureBridges + "/0000:07:00.0/0000:08:00.0";
inline const std::string kEnclosureDisk1 =
    kEnclosureController + "/ata1/host0/target0:0:0/0:0:0:0/block/sdb";
inline const std::string kEnclosureDisk2 =
    kEnclosureController + "/ata2/host1/target1:0:0/1:0:0:0/block/sdc";
inline const std::string kMotherboardPort = "/sys/devices/pci0000:00/0000:00:1c.0/0000:02:00.0";

inline constexpr std::uint64_t kDiskSectors = 3907029168;  // 2 TB

// "P: /devices/..." for a syspath.
inline std::string paragraph(const std::string& syspath) {
    return "P: " + syspath.substr(4) + "\n";
}

inline std::string pciFunction(const std::string& syspath,
                               std::uint16_t vendor,
                               std::uint16_t device,
                               std::uint16_t subsystemVendor,
                               std::uint16_t subsystem,
                               const std::string& driver) {
    char ids[200];
    std::snprintf(ids, sizeof ids,
                  "A: vendor=0x%04x\nA: device=0x%04x\nA: subsystem_vendor=0x%04x\n"
                  "A: subsystem_device=0x%04x\nE: PCI_ID=%04X:%04X\nE: PCI_SUBSYS_ID=%04X:%04X\n",
                  vendor, device, subsystemVendor, subsystem, vendor, device, subsystemVendor,
                  subsystem);
    const std::string slot = syspath.substr(syspath.rfind('/') + 1);
    return paragraph(syspath) + "E: SUBSYSTEM=pci\nE: PCI_SLOT_NAME=" + slot + "\n" + ids +
           "E: DRIVER=" + driver + "\nL: driver=../../../bus/pci/drivers/" + driver + "\n\n";
}

inline std::string wholeDisk(const std::string& syspath,
                             const std::string& model,
                             const std::string& serial) {
    const std::string name = syspath.substr(syspath.rfind('/') + 1);
    return paragraph(syspath) + "N: " + name +
           "\nE: SUBSYSTEM=block\nE: DEVTYPE=disk\nE: DEVNAME=/dev/" + name +
           "\nE: ID_SERIAL_SHORT=" + serial + "\nA: device/model=" + model +
           "\nA: size=" + std::to_string(kDiskSectors) + "\n\n";
}

inline std::string partition(const std::string& diskSyspath, int number) {
    std::string name = diskSyspath.substr(diskSyspath.rfind('/') + 1);
    name += (std::isdigit(static_cast<unsigned char>(name.back())) ? "p" : "") +
            std::to_string(number);  // sdb1, nvme0n1p1
    return paragraph(diskSyspath + "/" + name) + "N: " + name +
           "\nE: SUBSYSTEM=block\nE: DEVTYPE=partition\nA: partition=" + std::to_string(number) +
           "\nA: size=2048\n\n";
}

inline std::string thunderboltDevice(const std::string& syspath,
                                     const std::string& vendorName,
                                     const std::string& deviceName,
                                     const std::string& uniqueId,
                                     const char* authorized) {
    std::string text =
        paragraph(syspath) +
        "E: SUBSYSTEM=thunderbolt\nE: DEVTYPE=thunderbolt_device\nA: vendor_name=" + vendorName +
        "\nA: device_name=" + deviceName + "\nA: unique_id=" + uniqueId + "\n";
    if (authorized) {
        text += std::string("A: authorized=") + authorized + "\n";
    }
    return text + "\n";
}

// The Thunderbolt host controller, without any device plugged in.
inline std::string thunderboltHost() {
    return pciFunction(kRootPort, 0x8086, 0xa33c, 0x8086, 0x7270, "pcieport") +
           pciFunction(kHostSwitch, 0x8086, 0x15ea, 0x8086, 0x0000, "pcieport") +
           pciFunction(kHostSwitch + "/0000:04:00.0", 0x8086, 0x15ea, 0x8086, 0x0000, "pcieport") +
           pciFunction(kHostInterface, 0x8086, 0x15eb, 0x8086, 0x0000, "thunderbolt") +
           paragraph(kHostInterface + "/domain0") +
           "E: SUBSYSTEM=thunderbolt\nE: DEVTYPE=thunderbolt_domain\nA: security=user\n\n" +
           thunderboltDevice(kHostRouter, "Example Laptops", "Notebook 14", "host-0000", nullptr) +
           pciFunction(kTunnelPort, 0x8086, 0x15ea, 0x8086, 0x0000, "pcieport");
}

// The enclosure's own Thunderbolt device.
inline std::string enclosureThunderbolt(const char* authorized) {
    return thunderboltDevice(kThunderboltDevice, "Norvik", "Duo Thunderbolt",
                             "d1c2b3a4-0000-4e1e-8000-0000000000a1", authorized);
}

// The PCI functions the enclosure's tunnel brings, its controller and disks;
// `subsystem` other than 0x9230 makes it some other product with the chip.
inline std::string enclosurePci(std::uint16_t subsystem = 0x9230) {
    return pciFunction(kEnclosureBridges, 0x8086, 0x15ef, 0x8086, 0x0000, "pcieport") +
           pciFunction(kEnclosureBridges + "/0000:07:00.0", 0x8086, 0x15ef, 0x8086, 0x0000,
                       "pcieport") +
           pciFunction(kEnclosureController, 0x1b4b, 0x9230, 0x1b4b, subsystem, "ahci") +
           wholeDisk(kEnclosureDisk1, "EXAMPLE HDD 2TB", "WX11A0000001") +
           partition(kEnclosureDisk1, 1) + partition(kEnclosureDisk1, 2) +
           wholeDisk(kEnclosureDisk2, "EXAMPLE HDD 2TB", "WX11A0000002");
}

// Disks the enclosure must never be taken for.
inline std::string foreignDisks() {
    const std::string usbHost = "/sys/devices/pci0000:00/0000:00:14.0";
    const std::string nvmeRoot = "/sys/devices/pci0000:00/0000:00:1d.0";
    const std::string nvme = nvmeRoot + "/0000:3d:00.0";
    return pciFunction("/sys/devices/pci0000:00/0000:00:1c.0", 0x8086, 0xa338, 0x1043, 0x8694,
                       "pcieport") +
           pciFunction(kMotherboardPort, 0x1b4b, 0x9230, 0x1043, 0x8694, "ahci") +
           wholeDisk(kMotherboardPort + "/ata3/host2/target2:0:0/2:0:0:0/block/sda",
                     "BOARD SSD 500GB", "BS500000001") +
           pciFunction(usbHost, 0x8086, 0xa36d, 0x1043, 0x8694, "xhci_hcd") +
           wholeDisk(usbHost + "/usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0/block/sdd",
                     "Flash Stick", "FS0001") +
           pciFunction(nvmeRoot, 0x8086, 0xa330, 0x1043, 0x8694, "pcieport") +
           pciFunction(nvme, 0x144d, 0xa808, 0x144d, 0xa801, "nvme") +
           wholeDisk(nvme + "/nvme/nvme0/nvme0n1", "NVME SSD 1TB", "NV0000001") +
           partition(nvme + "/nvme/nvme0/nvme0n1", 1);
}

}  // namespace recordings
