#include "sim/world_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "sim/file_kind.h"
#include "sim/world_json.h"

namespace sim {

namespace {

constexpr std::size_t kMaxWorldBytes = 16 << 20;

std::string errnoText() {
    return std::strerror(errno);
}

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

WorldStore::~WorldStore() = default;

void WorldStore::fail(const std::string& what) const {
    throw WorldError("world file " + location_.file.string() + ": " + what);
}

WorldLock& WorldStore::lock() {
    if (!lock_) {
        checkFolder();
        lock_.emplace(location_.file, location_.lockWait);
    }
    return *lock_;
}

// Refuses a path that cannot hold a world before anything is created beside it.
void WorldStore::checkFolder() {
    if (!location_.file.has_filename()) {
        fail("it names a directory, not a file");
    }
    struct stat st {};
    if (::lstat(location_.file.c_str(), &st) == 0) {
        if (const std::string why = whyNotRegular(st.st_mode); !why.empty()) {
            fail(why);
        }
    } else if (errno != ENOENT) {
        fail("cannot look at it: " + errnoText());
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
    struct stat folder {};
    if (::stat(dir.c_str(), &folder) != 0) {
        fail("cannot look at its folder " + dir.string() + ": " + errnoText());
    }
    if (!S_ISDIR(folder.st_mode)) {
        fail("its folder " + dir.string() + " is not a directory");
    }
    if (folder.st_uid != ::geteuid()) {
        fail("its folder " + dir.string() +
             " belongs to another user; keep the world in a folder of your own");
    }
    if (location_.requirePrivateDirectory) {
        if (::lstat(dir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode) ||
            (folder.st_mode & 077) != 0) {
            fail("the directory " + dir.string() +
                 " is not a directory that only you can use; remove it or set NORVIK_SIM_WORLD");
        }
    }
}

WorldStore::Identity WorldStore::identity() const {
    Identity id;
    struct stat st {};
    if (::lstat(location_.file.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            fail("cannot look at it: " + errnoText());
        }
        return id;
    }
    if (const std::string why = whyNotRegular(st.st_mode); !why.empty()) {
        fail(why);
    }
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.modified = nanoseconds(st.st_mtim);
    id.changed = nanoseconds(st.st_ctim);
    id.generation = lock_->writeCount();
    return id;
}

std::shared_ptr<const World> WorldStore::load(const Identity& id) {
    // Never through a link, never waiting on a FIFO's writer.
    Fd fd(::open(location_.file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0) {
        fail(errno == ELOOP ? whyNotRegular(S_IFLNK) : "cannot open it: " + errnoText());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        fail("cannot look at it: " + errnoText());
    }
    if (const std::string why = whyNotRegular(st.st_mode); !why.empty()) {
        fail(why);
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
            throw WorldContentError("world file " + location_.file.string() +
                                    ": it is larger than 16 MiB");
        }
    }
    try {
        auto world = std::make_shared<const World>(parseWorld(text));
        cache_ = world;
        cacheIdentity_ = id;
        return world;
    } catch (const WorldFormatError& e) {
        cache_.reset();
        throw WorldContentError("world file " + location_.file.string() +
                                ": cannot use it: " + e.what());
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
    lock_->countWrite();
    cache_ = std::make_shared<const World>(world);
    cacheIdentity_ = identity();
}

std::shared_ptr<const World> WorldStore::read() {
    std::lock_guard guard(mutex_);
    {
        WorldLock::Hold hold = lock().take(WorldLock::Mode::Shared);
        const Identity id = identity();
        if (id.exists) {
            if (cache_ && id == cacheIdentity_) {
                return cache_;
            }
            return load(id);
        }
    }
    WorldLock::Hold hold = lock().take(WorldLock::Mode::Exclusive);
    const Identity id = identity();
    if (id.exists) {
        return load(id);
    }
    write(makeWorld());
    return cache_;
}

bool WorldStore::update(const std::function<bool(World&)>& change) {
    std::lock_guard guard(mutex_);
    WorldLock::Hold hold = lock().take(WorldLock::Mode::Exclusive);
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
    WorldLock::Hold hold = lock().take(WorldLock::Mode::Exclusive);
    (void)identity();  // refuses what is not a regular file
    write(world);
}

}  // namespace sim
