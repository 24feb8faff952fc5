#include "model/library_failure.h"

#include <array>
#include <filesystem>
#include <utility>

#include "model/loaded_library.h"

namespace {

constexpr std::array<std::pair<LibraryFailure::Kind, const char*>, 5> kNames{{
    {LibraryFailure::Kind::None, ""},
    {LibraryFailure::Kind::Missing, "missing"},
    {LibraryFailure::Kind::CannotLoad, "cannot-load"},
    {LibraryFailure::Kind::Lacks, "lacks"},
    {LibraryFailure::Kind::StartFailed, "start-failed"},
}};

}  // namespace

LibraryFailure LibraryFailure::of(const LoadedLibrary& library) {
    if (library.isLoaded()) {
        return {};
    }
    const std::string path = library.path().string();
    std::string missing;
    for (const std::string& name : library.missingFunctions()) {
        missing += (missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty()) {
        return {Kind::Lacks, path, missing};
    }
    // A missing file needs no loader message: only where it belongs.
    std::error_code ignored;
    if (!std::filesystem::exists(library.path(), ignored)) {
        return {Kind::Missing, path, {}};
    }
    return {Kind::CannotLoad, path, library.loaderMessage()};
}

const char* LibraryFailure::kindName() const {
    for (const auto& [k, name] : kNames) {
        if (k == kind) {
            return name;
        }
    }
    return "";
}

LibraryFailure::Kind LibraryFailure::kindNamed(const std::string& name) {
    for (const auto& [k, known] : kNames) {
        if (name == known) {
            return k;
        }
    }
    return Kind::StartFailed;
}
