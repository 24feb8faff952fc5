// Where the controller libraries live, relative to the running executable, in
// the build tree as in an installation:
//   <exe dir>/../lib/norvik-raid-utility/libmv_api.so            the vendor's (never shipped)
//   <exe dir>/../lib/norvik-raid-utility/simulator/libmv_api.so  the simulator's
#pragma once

#include <filesystem>

namespace backends {

std::filesystem::path vendorLibraryPath();
std::filesystem::path simulatorLibraryPath();

}  // namespace backends
