// Reading the texts sysfs and udev hand out, and walking sysfs paths, without
// touching the file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform::devices::sysfs {

// Without leading and trailing white space (sysfs attributes end in "\n").
std::string trimmed(std::string_view text);

// A 16-bit identity as sysfs writes it ("0x1b4b\n") or bare hex ("1B4B").
std::optional<std::uint16_t> parseHexId(std::string_view text);

// A pair of identities as udev's PCI_ID and PCI_SUBSYS_ID give them ("1B4B:9230").
std::optional<std::pair<std::uint16_t, std::uint16_t>> parseIdPair(std::string_view text);

// A block device's "size" attribute (in 512-byte sectors, whatever the
// device's own sector size) in bytes; empty when it is no decimal number or
// the bytes do not fit in 64 bits.
std::optional<std::uint64_t> sectorCountInBytes(std::string_view text);

// True when `path` lies strictly below `ancestor`.
bool isBelow(std::string_view path, std::string_view ancestor);

// `path` without its last component; empty when there is none.
std::string parentPath(std::string_view path);

// The path one component below `ancestor` on the way to `path`
// (".../0000:05:00.0/ata7" for a disk of that controller); empty when `path`
// is not below `ancestor`.
std::string firstLevelBelow(std::string_view ancestor, std::string_view path);

}  // namespace platform::devices::sysfs
