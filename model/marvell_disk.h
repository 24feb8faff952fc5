// One physical disk as the controller reported it in the last disk walk. Holds
// a copy of the library's record; the RAID status is asked of the library on
// every call.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/mv_api.h"
#include "platform/core/object.h"

class MarvellDisk : public platform::Object {
    struct Private {};

  public:
    // Copies the whole record; null when `info` is null.
    static std::shared_ptr<MarvellDisk> initWithInfo(const HD_Info* info);
    MarvellDisk(Private, const HD_Info& info);

    int hdid() const;
    int slot() const;                // the device ID minus 1, as the window shows it
    std::uint64_t capacity() const;  // bytes
    // The MV_HD_STATUS_* bits, or empty when the controller could not be asked.
    std::optional<int> readStatus() const;
    int status() const;  // readStatus(), or MV_HD_STATUS_OFFLINE when it could not be read
    // Says so when the status could not be read: that is no offline disk.
    std::string statusString() const;
    // The text statusString() gives for `status`, without asking the library.
    static std::string statusText(std::optional<int> status);
    // The bit that names a status: the first of free, assigned, spare,
    // offline, SMART checking and dedicated spare that is set; 0 for none.
    static int namingBit(int status);
    std::string name() const;

    // The model and serial number from the record, without padding; bytes that
    // are not printable ASCII read as '?', so the text is safe to print anywhere.
    std::string modelNumber() const;
    std::string serialNumber() const;

    const HD_Info& info() const { return fInfo; }

  private:
    HD_Info fInfo;
};
