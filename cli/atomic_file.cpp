#include "cli/atomic_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/texts.h"

namespace cli {

namespace {

std::string failure(const char* key, const std::filesystem::path& file) {
    return text(key, {file.string(), std::strerror(errno)});
}

bool writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t n = ::write(fd, contents.data(), contents.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string writeFileAtomically(const std::filesystem::path& file,
                                std::string_view contents,
                                mode_t mode,
                                Durability durability) {
    const bool synced = durability == Durability::Synced;
    const std::filesystem::path directory =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string temporary = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failure("CLI_CANNOT_CREATE_TEMPORARY", file);
    }
    std::string problem;
    if (!writeAll(fd, contents)) {
        problem = failure("CLI_CANNOT_WRITE", temporary);
    } else if (::fchmod(fd, mode) != 0) {
        problem = failure("CLI_CANNOT_SET_MODE", temporary);
    } else if (synced && ::fsync(fd) != 0) {
        problem = failure("CLI_CANNOT_SYNC", temporary);
    }
    if (::close(fd) != 0 && problem.empty()) {
        problem = failure("CLI_CANNOT_CLOSE", temporary);
    }
    if (problem.empty() && ::rename(temporary.c_str(), file.c_str()) != 0) {
        problem = failure("CLI_CANNOT_REPLACE", file);
    }
    if (!problem.empty()) {
        ::unlink(temporary.c_str());
        return problem;
    }
    if (!synced) {
        return {};
    }
    // The rename itself survives a crash only once the directory is synced.
    const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace cli
