#include "backends/library_paths.h"

#include "model/loaded_library.h"

namespace backends {

std::filesystem::path vendorLibraryPath() {
    return LoadedLibrary::defaultPath();
}

std::filesystem::path simulatorLibraryPath() {
    const auto vendor = vendorLibraryPath();
    return vendor.parent_path() / "simulator" / vendor.filename();
}

}  // namespace backends
