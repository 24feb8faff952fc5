// The lock file beside the world (<world>.lock). Writers hold it exclusively,
// readers shared. Waiting for it is bounded, so a stuck holder yields an error
// instead of a hang. The file may be removed and recreated under a running
// process (a runtime directory cleaned at logout), so after each lock the
// open file is checked to still be the one at its path and is reopened when
// not; otherwise old and new users would lock different files.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace sim {

class WorldLock {
  public:
    enum class Mode { Shared, Exclusive };

    // Held until destroyed.
    class Hold {
      public:
        explicit Hold(int fd) : fd_(fd) {}
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        int fd_;
    };

    WorldLock(std::filesystem::path world, std::chrono::milliseconds wait);
    ~WorldLock();
    WorldLock(const WorldLock&) = delete;
    WorldLock& operator=(const WorldLock&) = delete;

    // Throws WorldError when the lock file cannot be used or is held by
    // another process for longer than the wait.
    [[nodiscard]] Hold take(Mode mode);

    // How many writes the lock file has counted, and one more. Writers count
    // there a rewrite that stat cannot tell apart (same inode reused within
    // one clock tick). Only while held.
    std::uint64_t writeCount() const;
    void countWrite();

  private:
    void openFile();
    void closeFile();
    bool isStillAtPath() const;
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path world_;
    std::string path_;
    std::chrono::milliseconds wait_;
    int fd_ = -1;
};

}  // namespace sim
