// The clock the model pauses on (the waits of volume creation). The system
// clock unless one is bound; tests and the application bind a virtual one.
#pragma once

#include "platform/runloop/clock.h"

platform::Clock& modelClock();

// Does not own `clock`; null brings back the system clock.
void bindModelClock(platform::Clock* clock);

class ScopedModelClock {
  public:
    explicit ScopedModelClock(platform::Clock& clock);
    ~ScopedModelClock();
    ScopedModelClock(const ScopedModelClock&) = delete;
    ScopedModelClock& operator=(const ScopedModelClock&) = delete;

  private:
    platform::Clock* previous_;
};
