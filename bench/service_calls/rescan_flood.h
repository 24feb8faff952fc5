// A hostile local user: a child process that, as uid 65534 (nobody) when
// started by root, opens many connections to the system bus and keeps each
// one's pipeline of MV_API_RescanAdapter calls full for as long as it lives.
#pragma once

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/sdbus/bus_handles.h"
#include "service/bus_names.h"

namespace bench {

class RescanFlood {
  public:
    static constexpr uid_t kNobody = 65534;

    // Starts the flood and returns once every connection has sent its calls.
    RescanFlood(int connections, int callsInFlight) {
        void* shared = ::mmap(nullptr, sizeof(Answers), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (shared == MAP_FAILED) {
            throw std::runtime_error("mmap failed");
        }
        answers_ = new (shared) Answers{};
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("pipe failed");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                     ::setuid(kNobody) != 0)) {
                ::_exit(1);
            }
            flood(connections, callsInFlight, ready[1], *answers_);
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        const bool started = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        if (!started) {
            throw std::runtime_error("the flood did not start");
        }
    }
    ~RescanFlood() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::munmap(answers_, sizeof(Answers));
    }

    // Answers the flood has had so far, refusals counted apart.
    long answered() const { return answers_->answered.load(); }
    long refused() const { return answers_->refused.load(); }
    RescanFlood(const RescanFlood&) = delete;
    RescanFlood& operator=(const RescanFlood&) = delete;

  private:
    struct Answers {
        std::atomic<long> answered{0};
        std::atomic<long> refused{0};
    };

    // Every answer, refusals included, is followed by another call at once.
    static int resend(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        auto& answers = *static_cast<Answers*>(userdata);
        ++(sd_bus_message_is_method_error(reply, nullptr) > 0 ? answers.refused : answers.answered);
        send(sd_bus_message_get_bus(reply), answers);
        return 0;
    }
    static void send(sd_bus* bus, Answers& answers) {
        sd_bus_message* raw = nullptr;
        sd_bus_message_new_method_call(bus, &raw, service::kBusName, service::kObjectPath,
                                       service::kInterface, "MV_API_RescanAdapter");
        platform::bus::MessagePtr call(raw);
        sd_bus_call_async(bus, nullptr, call.get(), resend, &answers, 0);
    }

    [[noreturn]] static void flood(int connections,
                                   int callsInFlight,
                                   int ready,
                                   Answers& answers) {
        std::vector<platform::bus::BusPtr> buses;
        for (int i = 0; i < connections; ++i) {
            sd_bus* raw = nullptr;
            if (sd_bus_open_system(&raw) < 0) {
                ::_exit(1);
            }
            buses.emplace_back(raw);
            for (int c = 0; c < callsInFlight; ++c) {
                send(raw, answers);
            }
            sd_bus_flush(raw);
        }
        const char byte = 1;
        if (::write(ready, &byte, 1) != 1) {
            ::_exit(1);
        }
        std::vector<pollfd> fds(buses.size());
        for (;;) {
            for (std::size_t i = 0; i < buses.size(); ++i) {
                while (sd_bus_process(buses[i].get(), nullptr) > 0) {
                }
                fds[i] = {sd_bus_get_fd(buses[i].get()),
                          static_cast<short>(sd_bus_get_events(buses[i].get())), 0};
            }
            ::poll(fds.data(), fds.size(), 100);
        }
    }

    pid_t pid_ = -1;
    Answers* answers_ = nullptr;
};

}  // namespace bench
