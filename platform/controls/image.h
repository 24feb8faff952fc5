// An image loaded from a file. The front end decodes it from path(); a
// missing or unreadable file gives an empty image instead of failing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/core/object.h"

namespace platform {

class Image : public Object {
  public:
    // Never null. The image is empty when the file is missing, not a
    // regular file, unreadable, empty or larger than kMaxFileSize.
    static std::shared_ptr<Image> initWithContentsOfFile(const std::filesystem::path& path);

    static constexpr std::uintmax_t kMaxFileSize = 16u << 20;

    // The file asked for, also when the image is empty.
    const std::filesystem::path& path() const { return path_; }
    bool isEmpty() const { return data_.empty(); }
    // The file's bytes as read.
    const std::vector<std::uint8_t>& data() const { return data_; }

  protected:
    Image(std::filesystem::path path, std::vector<std::uint8_t> data);

  private:
    std::filesystem::path path_;
    std::vector<std::uint8_t> data_;
};

}  // namespace platform
