#include "platform/controls/workspace.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

extern char** environ;

namespace platform {
namespace {

// Reads until EOF, retrying interrupted reads; returns the bytes read.
ssize_t readFully(int fd, void* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + total, size - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(total);
}

// Starts `program` detached: an intermediate child forks the program and
// exits at once, so the caller reaps that child right away and the program
// is adopted by init (no zombie, no wait for the program). A close-on-exec
// pipe reports whether exec succeeded: EOF means it did, an errno that it did not.
LaunchOutcome spawnDetached(const std::filesystem::path& program) {
    LaunchOutcome outcome;
    outcome.program = program;
    outcome.status = LaunchOutcome::Status::Failed;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.error = errno;
        outcome.message = std::string("cannot create a pipe: ") + std::strerror(errno);
        return outcome;
    }
    // Everything the children need is prepared before fork: after it they
    // only make async-signal-safe calls.
    const std::string path = program.string();
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};

    const pid_t child = ::fork();
    if (child < 0) {
        outcome.error = errno;
        outcome.message = std::string("cannot fork: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            const int error = errno;
            (void)!::write(pipeFds[1], &error, sizeof error);
            ::_exit(1);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
#ifdef CLOSE_RANGE_CLOEXEC
        // The application must not inherit our descriptors.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
        ::execve(path.c_str(), argv, environ);
        const int error = errno;
        (void)!::write(pipeFds[1], &error, sizeof error);
        ::_exit(127);
    }

    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    const ssize_t got = readFully(pipeFds[0], &execError, sizeof execError);
    ::close(pipeFds[0]);
    if (got == static_cast<ssize_t>(sizeof execError)) {
        outcome.error = execError;
        outcome.message = "cannot start " + path + ": " + std::strerror(execError);
        return outcome;
    }
    outcome.status = LaunchOutcome::Status::Launched;
    return outcome;
}

bool isExecutableFile(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(file.c_str(), X_OK) == 0;
}

}  // namespace

Workspace::Workspace(std::string searchPath) : searchPath_(std::move(searchPath)) {}

Workspace& Workspace::sharedWorkspace() {
    static Workspace workspace;
    return workspace;
}

std::vector<std::string> Workspace::programsFor(const std::string& name) {
    if (name == "Disk Utility") {
        return {"gnome-disks", "partitionmanager"};
    }
    // Only a plain program name: a path or an option is not an application name.
    if (name.empty() || name.find('/') != std::string::npos || name.front() == '-') {
        return {};
    }
    return {name};
}

std::optional<std::filesystem::path> Workspace::findProgram(const std::string& program) const {
    std::string searchPath = searchPath_;
    if (searchPath.empty()) {
        const char* value = std::getenv("PATH");
        searchPath = value ? value : "/usr/local/bin:/usr/bin:/bin";
    }
    std::string_view rest = searchPath;
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty()) {
            const auto candidate = std::filesystem::path(folder) / program;
            if (isExecutableFile(candidate)) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
}

LaunchOutcome Workspace::launchApplication(const std::string& name) const {
    try {
        for (const auto& program : programsFor(name)) {
            if (auto path = findProgram(program)) {
                return spawnDetached(*path);
            }
        }
        LaunchOutcome outcome;
        outcome.status = LaunchOutcome::Status::NotInstalled;
        outcome.message = "no application for \"" + name + "\" is installed";
        return outcome;
    } catch (const std::exception& error) {
        LaunchOutcome outcome;
        outcome.status = LaunchOutcome::Status::Failed;
        outcome.message = error.what();
        return outcome;
    }
}

}  // namespace platform
