// polkit's text authentication agent (pkttyagent), started for this process
// before a change goes through the controller service, the way systemctl
// does: polkit can then ask for an administrator's password on the terminal.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace cli {

class TextAuthenticationAgent {
  public:
    static constexpr const char* kProgram = "/usr/bin/pkttyagent";

    // Starts the agent and waits until it has registered (or given up).
    // Null when it cannot be started: polkit then refuses instead of asking.
    static std::unique_ptr<TextAuthenticationAgent> start(const std::string& program = kProgram);

    // Ends the agent.
    ~TextAuthenticationAgent();
    TextAuthenticationAgent(const TextAuthenticationAgent&) = delete;
    TextAuthenticationAgent& operator=(const TextAuthenticationAgent&) = delete;

  private:
    explicit TextAuthenticationAgent(pid_t pid) : pid_(pid) {}

    pid_t pid_;
};

}  // namespace cli
