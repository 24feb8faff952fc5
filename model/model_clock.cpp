#include "model/model_clock.h"

namespace {

platform::Clock*& binding() {
    static platform::Clock* clock = nullptr;
    return clock;
}

}  // namespace

platform::Clock& modelClock() {
    static platform::SystemClock systemClock;
    platform::Clock* bound = binding();
    return bound ? *bound : systemClock;
}

void bindModelClock(platform::Clock* clock) {
    binding() = clock;
}

ScopedModelClock::ScopedModelClock(platform::Clock& clock) : previous_(binding()) {
    binding() = &clock;
}

ScopedModelClock::~ScopedModelClock() {
    binding() = previous_;
}
