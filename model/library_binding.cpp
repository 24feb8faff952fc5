#include "model/library_binding.h"

#include <utility>

#include "model/loaded_library.h"

namespace {

std::shared_ptr<ControllerLibrary>& binding() {
    static std::shared_ptr<ControllerLibrary> library;
    return library;
}

}  // namespace

ControllerLibrary& controllerLibrary() {
    auto& library = binding();
    if (!library) {
        library = std::make_shared<LoadedLibrary>(LoadedLibrary::defaultPath());
    }
    return *library;
}

void bindControllerLibrary(std::shared_ptr<ControllerLibrary> library) {
    binding() = std::move(library);
}

std::shared_ptr<ControllerLibrary> boundControllerLibrary() {
    return binding();
}

ScopedControllerLibrary::ScopedControllerLibrary(std::shared_ptr<ControllerLibrary> library)
    : previous_(std::exchange(binding(), std::move(library))) {}

ScopedControllerLibrary::ScopedControllerLibrary(ControllerLibrary& library)
    : ScopedControllerLibrary(
          std::shared_ptr<ControllerLibrary>(&library, [](ControllerLibrary*) {})) {}

ScopedControllerLibrary::~ScopedControllerLibrary() {
    binding() = std::move(previous_);
}
