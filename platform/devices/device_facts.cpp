#include "platform/devices/device_facts.h"

#include <cstdio>

namespace platform::devices::facts {

Bytes littleEndian(std::uint64_t value, std::size_t width) {
    Bytes bytes(width);
    for (std::size_t i = 0; i < width && i < 8; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

std::optional<std::uint64_t> fromLittleEndian(const Bytes& bytes) {
    if (bytes.empty() || bytes.size() > 8) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

Bytes text(std::string_view value) {
    return Bytes(value.begin(), value.end());
}

std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string pciServiceName(std::uint16_t vendor, std::uint16_t device) {
    char name[24];
    std::snprintf(name, sizeof name, "pci%x,%x", vendor, device);
    return name;
}

}  // namespace platform::devices::facts
