#include "sim/world_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "sim/world_json.h"

namespace sim {

namespace {

constexpr std::size_t kMaxWorldBytes = 16 << 20;

std::string errnoText() {
    return std::strerror(errno);
}

class FileLock {
  public:
    FileLock(int fd, int operation) : fd_(fd) {
        while (::flock(fd_, operation) != 0) {
            if (errno != EINTR) {
                throw WorldError(std::string("cannot lock the world file: ") + errnoText());
            }
        }
    }
    ~FileLock() { ::flock(fd_, LOCK_UN); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_;
};

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

WorldStore::WorldStore(WorldLocation location) : location_(std::move(location)) {}

WorldStore::~WorldStore() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

void WorldStore::fail(const std::string& what) const {
    throw WorldError("world file " + location_.file.string() + ": " + what);
}

void WorldStore::open() {
    if (lockFd_ >= 0) {
        return;
    }
    const std::filesystem::path dir =
        location_.file.has_parent_path() ? location_.file.parent_path() : ".";
    std::error_code error;
    if (!std::filesystem::exists(dir, error)) {
        // Only the user may look at the world.
        std::filesystem::path partial;
        for (const auto& part : dir) {
            partial /= part;
            if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
                fail("cannot create the directory " + partial.string() + ": " + errnoText());
            }
        }
    }
    if (location_.requirePrivateDirectory) {
        struct stat st {};
        if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
            (st.st_mode & 077) != 0) {
            fail("the directory " + dir.string() +
                 " is not a directory that only you can use; remove it or set NORVIK_SIM_WORLD");
        }
    }
    const std::string lockPath = location_.file.string() + ".lock";
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        fail("cannot open the lock file " + lockPath + ": " + errnoText());
    }
}

WorldStore::Identity WorldStore::identity() const {
    Identity id;
    struct stat st {};
    if (::stat(location_.file.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            fail("cannot look at it: " + errnoText());
        }
        return id;
    }
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.modified = nanoseconds(st.st_mtim);
    id.changed = nanoseconds(st.st_ctim);
    // Writers count their writes in the lock file, which catches a rewrite
    // that stat cannot tell apart (same inode reused within one clock tick).
    std::uint64_t generation = 0;
    if (::pread(lockFd_, &generation, sizeof generation, 0) == sizeof generation) {
        id.generation = generation;
    }
    return id;
}

std::shared_ptr<const World> WorldStore::load(const Identity& id) {
    Fd fd(::open(location_.file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail("cannot open it: " + errnoText());
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            fail("cannot read it: " + errnoText());
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxWorldBytes) {
            fail("it is larger than 16 MiB");
        }
    }
    try {
        auto world = std::make_shared<const World>(parseWorld(text));
        cache_ = world;
        cacheIdentity_ = id;
        return world;
    } catch (const WorldFormatError& e) {
        cache_.reset();
        fail(std::string("cannot use it: ") + e.what());
    }
}

void WorldStore::write(const World& world) {
    const std::string text = serializeWorld(world);
    std::string temp = location_.file.string() + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        fail("cannot create a temporary file beside it: " + errnoText());
    }
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const std::string why = errnoText();
            ::unlink(temp.c_str());
            fail("cannot write " + temp + ": " + why);
        }
        done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd.get(), 0600);
    ::close(fd.release());
    if (::rename(temp.c_str(), location_.file.c_str()) != 0) {
        const std::string why = errnoText();
        ::unlink(temp.c_str());
        fail("cannot replace it: " + why);
    }
    std::uint64_t generation = 0;
    if (::pread(lockFd_, &generation, sizeof generation, 0) != sizeof generation) {
        generation = 0;
    }
    ++generation;
    if (::pwrite(lockFd_, &generation, sizeof generation, 0) != sizeof generation) {
        // Readers still see the new inode and times; the count is a second guard.
        generation = 0;
    }
    cache_ = std::make_shared<const World>(world);
    cacheIdentity_ = identity();
}

std::shared_ptr<const World> WorldStore::read() {
    std::lock_guard guard(mutex_);
    open();
    {
        FileLock lock(lockFd_, LOCK_SH);
        const Identity id = identity();
        if (id.exists) {
            if (cache_ && id == cacheIdentity_) {
                return cache_;
            }
            return load(id);
        }
    }
    FileLock lock(lockFd_, LOCK_EX);
    const Identity id = identity();
    if (id.exists) {
        return load(id);
    }
    write(makeWorld());
    return cache_;
}

bool WorldStore::update(const std::function<bool(World&)>& change) {
    std::lock_guard guard(mutex_);
    open();
    FileLock lock(lockFd_, LOCK_EX);
    const Identity id = identity();
    World world = id.exists ? *load(id) : makeWorld();
    if (!change(world)) {
        return false;
    }
    write(world);
    return true;
}

void WorldStore::replace(const World& world) {
    std::lock_guard guard(mutex_);
    open();
    FileLock lock(lockFd_, LOCK_EX);
    write(world);
}

}  // namespace sim
