// A small string table for the model's texts, made the main bundle for a test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/controls/bundle.h"

class TestStrings {
  public:
    TestStrings() {
        dir_ = std::filesystem::temp_directory_path() /
               ("norvik-model-strings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "strings");
        std::ofstream(dir_ / "strings" / "en.json") << R"({
            "HD_STATUS_FREE": "free", "HD_STATUS_ASSIGNED": "assigned",
            "HD_STATUS_SPARE": "spare", "HD_STATUS_OFFLINE": "offline",
            "HD_STATUS_SMARTCHECKING": "smart", "HD_STATUS_DEDICATED_SPARE": "dedicated",
            "HD_STATUS_UNKNOWN": "disk?%d",
            "LD_STATUS_FUNCTIONAL": "functional", "LD_STATUS_DEGRADE": "degraded",
            "LD_STATUS_OFFLINE": "ld-offline", "LD_STATUS_REBUILDING": "rebuilding",
            "LD_STATUS_UNKNOWN": "set?%d", "STATUS_UNREADABLE": "unreadable",
            "LD_MODE_RAID0": "striped", "LD_MODE_RAID1": "mirrored", "LD_MODE_UNKNOWN": "mode?%d",
            "DISK_1": "First disk"
        })";
        bundle_.emplace(dir_, "en");
        scope_ = std::make_unique<platform::Bundle::ScopedMainBundle>(*bundle_);
    }
    ~TestStrings() {
        scope_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::filesystem::path dir_;
    std::optional<platform::Bundle> bundle_;
    std::unique_ptr<platform::Bundle::ScopedMainBundle> scope_;
};
