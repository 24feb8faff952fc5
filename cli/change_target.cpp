#include "cli/change_target.h"

#include <charconv>

#include "cli/texts.h"
#include "cli/verbs.h"

namespace cli {

namespace {

int number(const std::string& option, const std::string& value) {
    int n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || n < 0) {
        throw UsageError(text("CLI_BAD_NUMBER", {option, value}));
    }
    return n;
}

template <class List, class Id>
std::string listOf(const List& items, Id id) {
    std::string result;
    for (const auto& item : items) {
        result += (result.empty() ? "" : ", ") + std::to_string(id(*item));
    }
    return result;
}

}  // namespace

std::vector<std::shared_ptr<MarvellController>> readControllers() {
    auto controllers = MarvellController::scanForControllers();
    for (const auto& controller : controllers) {
        controller->scanForDisks();
        controller->scanForRAIDSets();
    }
    return controllers;
}

std::shared_ptr<MarvellController> chooseController(
    const std::vector<std::shared_ptr<MarvellController>>& controllers,
    const std::optional<std::string>& asked) {
    const std::string choices = listOf(controllers, [](const auto& c) { return c.cid(); });
    if (asked) {
        const int wanted = number("--controller", *asked);
        for (const auto& controller : controllers) {
            if (controller->cid() == wanted) {
                return controller;
            }
        }
        if (controllers.empty()) {
            throw NothingToDo(text("CLI_NO_ENCLOSURE"));
        }
        throw UsageError(text("CLI_NO_SUCH_CONTROLLER", {wanted, choices}));
    }
    if (controllers.empty()) {
        throw NothingToDo(text("CLI_NO_ENCLOSURE"));
    }
    if (controllers.size() > 1) {
        throw UsageError(text("CLI_CHOOSE_CONTROLLER", {choices}));
    }
    return controllers.front();
}

std::shared_ptr<MarvellRAIDSet> chooseVolume(const MarvellController& controller,
                                             const std::optional<std::string>& asked,
                                             const std::function<bool(int status)>& fits,
                                             const char* noneFitsKey) {
    const auto sets = controller.raidSets();
    if (asked) {
        const int wanted = number("--volume", *asked);
        for (const auto& set : sets) {
            if (set->vdid() == wanted) {
                return set;
            }
        }
        throw UsageError(
            text("CLI_NO_SUCH_VOLUME",
                 {wanted, controller.cid(), listOf(sets, [](const auto& s) { return s.vdid(); })}));
    }
    std::vector<std::shared_ptr<MarvellRAIDSet>> fitting;
    for (const auto& set : sets) {
        if (fits(set->status())) {
            fitting.push_back(set);
        }
    }
    if (fitting.empty()) {
        throw NothingToDo(text(noneFitsKey, {controller.cid()}));
    }
    if (fitting.size() > 1) {
        throw UsageError(
            text("CLI_CHOOSE_VOLUME", {listOf(fitting, [](const auto& s) { return s.vdid(); })}));
    }
    return fitting.front();
}

}  // namespace cli
