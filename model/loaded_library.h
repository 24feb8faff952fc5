// The controller library loaded from one file with dlopen. Every symbol is
// resolved at load. When the file or a symbol is missing, one message naming
// the path and what is missing goes to the report stream, and every call then
// throws std::runtime_error, so guarded callers see a failed call and the
// application shows no controller instead of crashing.
#pragma once

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "model/controller_library.h"

class LoadedLibrary final : public ControllerLibrary {
  public:
    // Loads exactly `path`; no other location is searched.
    explicit LoadedLibrary(std::filesystem::path path, std::ostream& report = std::cerr);
    ~LoadedLibrary() override;

    // <directory of /proc/self/exe>/../lib/norvik-raid-utility/libmv_api.so
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }
    bool isLoaded() const;
    // Why loading failed, in English for logs; empty when loaded.
    const std::string& loadError() const { return error_; }
    // The parts of that failure, for the user's own words: the loader's
    // message when the file would not load, or the functions the file lacks.
    const std::string& loaderMessage() const { return loaderMessage_; }
    const std::vector<std::string>& missingFunctions() const { return missing_; }

    NORVIK_LIBRARY_OPERATIONS(NORVIK_LIBRARY_OPERATION_OVERRIDE)

  private:
    struct Symbols;
    const Symbols& symbols() const;  // throws when the library did not load

    std::filesystem::path path_;
    std::string error_;
    std::string loaderMessage_;
    std::vector<std::string> missing_;
    void* handle_ = nullptr;
    std::unique_ptr<Symbols> symbols_;
};
