#include "service/polkit_authority.h"

#include <chrono>
#include <cstdint>

#include "service/bus_handles.h"

namespace service {

namespace {

constexpr std::uint32_t kAllowUserInteraction = 1;
// Long enough for a user to type a password into the agent.
constexpr std::chrono::microseconds kInteractiveTimeout = std::chrono::minutes(5);
constexpr std::chrono::microseconds kTimeout = std::chrono::seconds(25);

}  // namespace

Authorization checkAuthorization(sd_bus_message* call, const char* action) {
    sd_bus* bus = sd_bus_message_get_bus(call);
    const char* sender = sd_bus_message_get_sender(call);
    if (!sender) {
        return {false, "the caller has no bus name"};
    }
    const bool interactive = sd_bus_message_get_allow_interactive_authorization(call) > 0;

    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(
        bus, &raw, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
        "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization");
    MessagePtr request(raw);
    if (r >= 0) {
        r = sd_bus_message_append(request.get(), "(sa{sv})s", "system-bus-name", 1, "name", "s",
                                  sender, action);
    }
    if (r >= 0) {
        r = sd_bus_message_append(request.get(), "a{ss}us", 0,
                                  interactive ? kAllowUserInteraction : 0u, "");
    }
    if (r < 0) {
        return {false, "cannot build the authorization request"};
    }

    BusError error;
    sd_bus_message* replyRaw = nullptr;
    const auto timeout = interactive ? kInteractiveTimeout : kTimeout;
    r = sd_bus_call(bus, request.get(), static_cast<std::uint64_t>(timeout.count()), error.get(),
                    &replyRaw);
    MessagePtr reply(replyRaw);
    if (r < 0) {
        return {false, "authorization could not be checked: " + error.describe(r)};
    }
    int authorized = 0;
    int challenge = 0;
    r = sd_bus_message_enter_container(reply.get(), SD_BUS_TYPE_STRUCT, "bba{ss}");
    if (r >= 0) {
        r = sd_bus_message_read(reply.get(), "bb", &authorized, &challenge);
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
