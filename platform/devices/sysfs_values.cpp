#include "platform/devices/sysfs_values.h"

#include <charconv>

namespace platform::devices::sysfs {

std::string trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(kSpace) - first + 1));
}

std::optional<std::uint16_t> parseHexId(std::string_view text) {
    std::string value = trimmed(text);
    std::string_view digits = value;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
    }
    if (digits.empty() || digits.size() > 4) {
        return std::nullopt;
    }
    std::uint16_t id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return id;
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> parseIdPair(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto first = parseHexId(text.substr(0, colon));
    const auto second = parseHexId(text.substr(colon + 1));
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

std::optional<std::uint64_t> sectorCountInBytes(std::string_view text) {
    const std::string value = trimmed(text);
    std::uint64_t sectors = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), sectors);
    constexpr std::uint64_t kSector = 512;
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        sectors > UINT64_MAX / kSector) {
        return std::nullopt;
    }
    return sectors * kSector;
}

bool isBelow(std::string_view path, std::string_view ancestor) {
    return !ancestor.empty() && path.size() > ancestor.size() + 1 && path.starts_with(ancestor) &&
           path[ancestor.size()] == '/';
}

std::string parentPath(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos || slash == 0) {
        return {};
    }
    return std::string(path.substr(0, slash));
}

std::string firstLevelBelow(std::string_view ancestor, std::string_view path) {
    if (!isBelow(path, ancestor)) {
        return {};
    }
    const auto end = path.find('/', ancestor.size() + 1);
    return std::string(path.substr(0, end));
}

}  // namespace platform::devices::sysfs
