// The process-wide controller library. Until something is bound, the first
// use loads the library file at LoadedLibrary::defaultPath().
#pragma once

#include <memory>

#include "model/controller_library.h"

ControllerLibrary& controllerLibrary();

// Replaces the process-wide library; null brings back the lazy default.
void bindControllerLibrary(std::shared_ptr<ControllerLibrary> library);

// The library bound now, or null when the lazy default has not been made yet.
std::shared_ptr<ControllerLibrary> boundControllerLibrary();

// Binds a library for the scope and restores the previous binding afterwards.
class ScopedControllerLibrary {
  public:
    explicit ScopedControllerLibrary(std::shared_ptr<ControllerLibrary> library);
    // Does not own `library`; it must outlive the scope.
    explicit ScopedControllerLibrary(ControllerLibrary& library);
    ~ScopedControllerLibrary();
    ScopedControllerLibrary(const ScopedControllerLibrary&) = delete;
    ScopedControllerLibrary& operator=(const ScopedControllerLibrary&) = delete;

  private:
    std::shared_ptr<ControllerLibrary> previous_;
};
