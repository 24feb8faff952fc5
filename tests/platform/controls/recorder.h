// A target for actions sent in the controls tests.
#pragma once

#include <string>
#include <vector>

#include "platform/core/object.h"

namespace platform::testing {

struct Recorder : Object {
    std::vector<std::string> actions;
    std::vector<Object*> senders;

    // A selector that records its name and sender on a Recorder.
    static Selector selector(const std::string& name) {
        return Selector(name, [name](Object& target, Object* sender) {
            if (auto* self = dynamic_cast<Recorder*>(&target)) {
                self->actions.push_back(name);
                self->senders.push_back(sender);
            }
        });
    }
};

}  // namespace platform::testing
