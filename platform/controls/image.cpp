#include "platform/controls/image.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace platform {

namespace {

std::vector<std::uint8_t> readImageFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        return {};
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0 || size > Image::kMaxFileSize) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (in.gcount() != static_cast<std::streamsize>(data.size())) {
        return {};  // shrank or failed while being read
    }
    return data;
}

}  // namespace

Image::Image(std::filesystem::path path, std::vector<std::uint8_t> data)
    : path_(std::move(path)), data_(std::move(data)) {}

std::shared_ptr<Image> Image::initWithContentsOfFile(const std::filesystem::path& path) {
    auto data = readImageFile(path);
    return std::shared_ptr<Image>(new Image(path, std::move(data)));
}

}  // namespace platform
