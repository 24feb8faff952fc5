#include "cli/authentication_agent.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace cli {

namespace {

// How long the agent may take to register with polkit.
constexpr int kRegistrationMilliseconds = 10'000;

void closeQuietly(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace

std::unique_ptr<TextAuthenticationAgent> TextAuthenticationAgent::start(
    const std::string& program) {
    if (::access(program.c_str(), X_OK) != 0) {
        return nullptr;
    }
    int notify[2];
    if (::pipe2(notify, O_CLOEXEC) != 0) {
        return nullptr;
    }
    // Everything the child needs is made before fork: it only dups and execs.
    const std::string self = std::to_string(::getpid());
    // The write end the agent inherits, as a descriptor that survives exec.
    const int inherited = ::fcntl(notify[1], F_DUPFD, 3);
    if (inherited < 0) {
        closeQuietly(notify[0]);
        closeQuietly(notify[1]);
        return nullptr;
    }
    const std::string fd = std::to_string(inherited);
    std::vector<std::string> words = {program, "--process", self, "--notify-fd", fd};
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    closeQuietly(inherited);
    closeQuietly(notify[1]);
    if (pid < 0) {
        closeQuietly(notify[0]);
        return nullptr;
    }
    // The agent closes its end once it is registered; an agent that fails
    // ends, which closes it too.
    pollfd registered{notify[0], POLLIN, 0};
    while (::poll(&registered, 1, kRegistrationMilliseconds) < 0 && errno == EINTR) {
    }
    closeQuietly(notify[0]);
    return std::unique_ptr<TextAuthenticationAgent>(new TextAuthenticationAgent(pid));
}

TextAuthenticationAgent::~TextAuthenticationAgent() {
    ::kill(pid_, SIGTERM);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace cli
