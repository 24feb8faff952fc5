#include "sim/world_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

#include "sim/file_kind.h"
#include "sim/world_error.h"

namespace sim {

namespace {

std::string errnoText() {
    return std::strerror(errno);
}

std::string seconds(std::chrono::milliseconds wait) {
    std::ostringstream text;
    text << static_cast<double>(wait.count()) / 1000 << " s";
    return text.str();
}

}  // namespace

WorldLock::Hold::~Hold() {
    ::flock(fd_, LOCK_UN);
}

WorldLock::WorldLock(std::filesystem::path world, std::chrono::milliseconds wait)
    : world_(std::move(world)), path_(world_.string() + ".lock"), wait_(wait) {}

WorldLock::~WorldLock() {
    closeFile();
}

void WorldLock::fail(const std::string& what) const {
    throw WorldError("world file " + world_.string() + ": the lock file " + path_ + " " + what);
}

void WorldLock::openFile() {
    // Non-blocking and not through a link: whatever sits at the path must not
    // stall us or point us elsewhere.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd_ < 0) {
        fail(errno == ELOOP ? "is a symbolic link" : "cannot be opened: " + errnoText());
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const std::string why = errnoText();
        closeFile();
        fail("cannot be looked at: " + why);
    }
    if (const std::string why = whyNotRegular(st.st_mode); !why.empty()) {
        closeFile();
        fail("cannot be used: " + why);
    }
}

void WorldLock::closeFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool WorldLock::isStillAtPath() const {
    struct stat open {
    }, atPath{};
    return ::fstat(fd_, &open) == 0 && ::lstat(path_.c_str(), &atPath) == 0 &&
           open.st_dev == atPath.st_dev && open.st_ino == atPath.st_ino;
}

WorldLock::Hold WorldLock::take(Mode mode) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait_;
    const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    std::chrono::milliseconds pause{1};
    bool reopened = false;
    for (;;) {
        if (fd_ < 0) {
            openFile();
        }
        if (::flock(fd_, operation) == 0) {
            if (isStillAtPath()) {
                return Hold(fd_);
            }
            // Replaced or removed while we had it open: lock what is there now.
            ::flock(fd_, LOCK_UN);
            closeFile();
            if (!reopened || Clock::now() < deadline) {
                reopened = true;
                continue;
            }
            fail("keeps being replaced by another process");
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fail("cannot be locked: " + errnoText());
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            fail("has been held by another process for more than " + seconds(wait_) +
                 "; a process using the simulated world may be stuck");
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{20});
    }
}

std::uint64_t WorldLock::writeCount() const {
    std::uint64_t count = 0;
    if (::pread(fd_, &count, sizeof count, 0) != sizeof count) {
        return 0;
    }
    return count;
}

void WorldLock::countWrite() {
    const std::uint64_t count = writeCount() + 1;
    // Readers still see the new inode and times; the count is a second guard.
    (void)!::pwrite(fd_, &count, sizeof count, 0);
}

}  // namespace sim
