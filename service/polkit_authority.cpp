#include "service/polkit_authority.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace service {

namespace {

constexpr std::uint32_t kAllowUserInteraction = 1;
// Long enough for a user to type a password into the agent.
constexpr std::chrono::microseconds kInteractiveTimeout = std::chrono::minutes(5);
constexpr std::chrono::microseconds kTimeout = std::chrono::seconds(25);

}  // namespace

int askAuthorization(sd_bus_message* call,
                     const char* action,
                     sd_bus_message_handler_t answered,
                     void* userdata,
                     platform::bus::SlotPtr& question) {
    sd_bus* bus = sd_bus_message_get_bus(call);
    const char* sender = sd_bus_message_get_sender(call);
    if (!sender) {
        return -EPERM;
    }
    const bool interactive = sd_bus_message_get_allow_interactive_authorization(call) > 0;

    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(
        bus, &raw, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
        "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization");
    const platform::bus::MessagePtr request(raw);
    if (r >= 0) {
        r = sd_bus_message_append(request.get(), "(sa{sv})s", "system-bus-name", 1, "name", "s",
                                  sender, action);
    }
    if (r >= 0) {
        r = sd_bus_message_append(request.get(), "a{ss}us", 0,
                                  interactive ? kAllowUserInteraction : 0u, "");
    }
    if (r < 0) {
        return r;
    }
    const auto timeout = interactive ? kInteractiveTimeout : kTimeout;
    sd_bus_slot* slot = nullptr;
    r = sd_bus_call_async(bus, &slot, request.get(), answered, userdata,
                          static_cast<std::uint64_t>(timeout.count()));
    question.reset(slot);
    return r;
}

Authorization readAuthorization(sd_bus_message* answer) {
    if (sd_bus_message_is_method_error(answer, nullptr) > 0) {
        const sd_bus_error* error = sd_bus_message_get_error(answer);
        return {false, std::string("authorization could not be checked: ") +
                           (error && error->name ? error->name : "no answer") + ": " +
                           (error && error->message ? error->message : "")};
    }
    int authorized = 0;
    int challenge = 0;
    int r = sd_bus_message_enter_container(answer, SD_BUS_TYPE_STRUCT, "bba{ss}");
    if (r >= 0) {
        r = sd_bus_message_read(answer, "bb", &authorized, &challenge);
    }
    if (r < 0) {
        return {false, "polkit's answer could not be read"};
    }
    if (authorized) {
        return {true, {}};
    }
    return {false, challenge ? "authentication is required and was not given"
                             : "not authorized to change the RAID configuration"};
}

}  // namespace service
